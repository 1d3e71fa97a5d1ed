// The terminal program reaching into the window.
#include "dialog.h"
