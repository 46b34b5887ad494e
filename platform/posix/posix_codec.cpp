// Text conversion through iconv. Shift-JIS here means Windows code page 932
// ("CP932"): unlike glibc's "SHIFT_JIS" it keeps 0x5C a backslash and 0x7E a
// tilde, and it knows the NEC and IBM extensions Windows names can contain.
#include <iconv.h>

#include <cerrno>
#include <cstring>

#include "platform/platform.h"

namespace platform {
namespace {

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr const char* kUtf16 = "UTF-16BE";
#else
constexpr const char* kUtf16 = "UTF-16LE";
#endif

// Converts `inBytes` bytes and terminates the result with `unit` zero bytes.
bool Convert(const char* to, const char* from, const char* in, std::size_t inBytes, char* out,
             std::size_t outBytes, std::size_t unit) {
  if (outBytes < unit) return false;
  std::memset(out, 0, unit);
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  char* inPtr = const_cast<char*>(in);
  char* outPtr = out;
  std::size_t outLeft = outBytes - unit;  // room for the terminator
  bool ok = iconv(cd, &inPtr, &inBytes, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  // Stateless encodings flush nothing, but a final call keeps iconv's contract.
  if (ok) ok = iconv(cd, nullptr, nullptr, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  iconv_close(cd);
  if (!ok || inBytes != 0) {
    std::memset(out, 0, unit);
    return false;
  }
  std::memset(outPtr, 0, unit);
  return true;
}

std::size_t Utf16Length(const char16_t* text) {
  std::size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

}  // namespace

bool SjisToUtf8(const char* sjis, char* out, std::size_t capacity) {
  return Convert("UTF-8", "CP932", sjis, std::strlen(sjis), out, capacity, 1);
}

bool Utf8ToSjis(const char* utf8, char* out, std::size_t capacity) {
  return Convert("CP932", "UTF-8", utf8, std::strlen(utf8), out, capacity, 1);
}

bool SjisToUtf16(const char* sjis, char16_t* out, std::size_t capacity) {
  return Convert(kUtf16, "CP932", sjis, std::strlen(sjis), reinterpret_cast<char*>(out),
                 capacity * sizeof(char16_t), sizeof(char16_t));
}

bool Utf16ToSjis(const char16_t* utf16, char* out, std::size_t capacity) {
  return Convert("CP932", kUtf16, reinterpret_cast<const char*>(utf16), Utf16Length(utf16) * sizeof(char16_t),
                 out, capacity, 1);
}

}  // namespace platform
