#pragma once

#include <optional>

class QLineEdit;

// Reads an edit as an integer within [minimum, maximum]. On a text that is
// not an integer or lies outside the range it tells the user so, puts the
// focus back on the edit and gives nothing.
std::optional<int> ReadIntegerInRange(QLineEdit *edit, int minimum, int maximum);
