#pragma once
// A camera operation.
class Camera {};
