#pragma once
// The window of the program.
class Dialog {};
