#pragma once

#include <QString>

#include <functional>

// The program's own transport code: two characters of a fixed 52-character table per GBK byte,
// with a small random value mixed into each byte. The service scrambles what it sends with it; the
// program scrambles what it sends the user server and the password it remembers.

// Encoded form of Text; "" for "". Each call draws fresh random values.
[[nodiscard]] QString EncodeText(const QString& Text);
// The same with the random fractions in [0, 1) taken from the given source.
[[nodiscard]] QString EncodeText(const QString& Text, const std::function<float()>& random);

// Decoded text; "" when Text is empty or not a valid encoded form.
[[nodiscard]] QString DecodeText(const QString& Text);
