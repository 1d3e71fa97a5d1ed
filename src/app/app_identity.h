#pragma once

namespace kestrel {

// The name and version under which the tool presents itself.
inline constexpr char kApplicationName[] = "Kestrel_FlashTool";
inline constexpr char kApplicationVersion[] = "1.0.0.6";

} // namespace kestrel
