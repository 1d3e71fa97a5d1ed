// The history reaching sideways into the camera operations.
#include "camera.h"
