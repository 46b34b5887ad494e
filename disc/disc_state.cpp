#include "disc/disc_state.h"

DiscState Disc;
