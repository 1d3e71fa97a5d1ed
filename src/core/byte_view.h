#pragma once

#include <QByteArray>

#include <string_view>

namespace kestrel {

// The bytes as the plain rules read them (the rules are free of Qt); valid
// while bytes lives and is not changed.
inline std::string_view View(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

} // namespace kestrel
