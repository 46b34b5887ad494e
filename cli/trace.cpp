#include "cli/trace.h"

#include "cli/describe.h"

namespace {

std::string NextJson(const NavNext& next) {
  switch (next.kind) {
    case NextKind::Title:
      return "{\"kind\": \"title\", \"title\": " + std::to_string(next.title) + "}";
    case NextKind::Random: {
      std::string titles;
      for (int t = 1; t <= kMaxTitles; ++t)
        if (CanReach(next, t)) titles += (titles.empty() ? "" : ", ") + std::to_string(t);
      return "{\"kind\": \"random\", \"titles\": [" + titles + "]}";
    }
    case NextKind::Menu:
      if (next.vmgm)
        return "{\"kind\": \"menu\", \"domain\": \"vmgm\", \"pgc\": " + std::to_string(next.pgc) + "}";
      return "{\"kind\": \"menu\", \"domain\": \"vtsm\", \"title_set\": " + std::to_string(next.titleSet) +
             ", \"pgc\": " + std::to_string(next.pgc) + "}";
    case NextKind::Stop:
      return "{\"kind\": \"stop\"}";
    case NextKind::Repeat:
      return "{\"kind\": \"repeat\", \"title_set\": " + std::to_string(next.titleSet) +
             ", \"pgc\": " + std::to_string(next.pgc) + "}";
    case NextKind::Fault:
      break;
  }
  return "{\"kind\": \"fault\", \"reason\": " + JsonString(next.reason) + "}";
}

}  // namespace

std::string LanguageName(int code) {
  if (code <= 0) return "";
  return std::string{char(code >> 8), char(code & 0xFF)};
}

int LanguageCode(const std::string& text) {
  if (text.size() != 2) return -1;
  return (uint8_t(text[0]) << 8) | uint8_t(text[1]);
}

std::string TraceText(const NavPreview& preview) {
  std::string out = "start → " + NextWords(preview.start) + "\n";
  for (int t = 0; t < preview.titleCount; ++t)
    out += "after title " + std::to_string(t + 1) + " → " + NextWords(preview.after[t]) + "\n";
  return out;
}

std::string TraceJson(const std::string& folder, const NavPreview& preview) {
  std::string out = "{\"folder\": " + JsonString(folder) +
                    ", \"language\": " + JsonString(LanguageName(preview.language)) +
                    ",\n \"start\": " + NextJson(preview.start) + ",\n \"after\": [";
  for (int t = 0; t < preview.titleCount; ++t) {
    out += (t ? ",\n  " : "") + std::string("{\"title\": ") + std::to_string(t + 1) +
           ", \"next\": " + NextJson(preview.after[t]) + "}";
  }
  return out + "]}\n";
}

bool HasMenuLanguage(int code) {
  int codes[256];
  int n = MenuLanguages(StoredVmgRef(), codes, 256);
  for (int i = 0; i < n; ++i)
    if (codes[i] == code) return true;
  return false;
}
