// The ground floor offering a file chooser.
#pragma once
#include <optional>
#include <QString>
struct Operator {
    virtual std::optional<QString> ChooseFolder() = 0;
};
