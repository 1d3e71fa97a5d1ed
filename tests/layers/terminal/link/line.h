#pragma once
// The connection, below the camera.
