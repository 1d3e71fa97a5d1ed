// A lower layer reaching up to the window.
#include "window.h"
