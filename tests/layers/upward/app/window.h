#pragma once
// A widget that the link must not know.
class Window {};
