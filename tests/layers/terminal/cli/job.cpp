// The terminal program reaching past the camera into the connection.
#include "line.h"
