#pragma once

#include <QString>

#include <optional>

// The bottom text advert: one line of text in the advert strip, given by the configuration key
// "adno" as "text" or "text|address"; a click on the text opens the address.
struct TextAdvert {
    QString text;
    QString link;
    bool operator==(const TextAdvert&) const = default;
};

// None when the key holds no text: the strip then shows no text line.
[[nodiscard]] std::optional<TextAdvert> textAdvert(const QString& adno);
