#include "mainwindow/textadvert.h"

std::optional<TextAdvert> textAdvert(const QString& adno) {
    const qsizetype bar = adno.indexOf(u'|');
    TextAdvert ad{(bar < 0 ? adno : adno.left(bar)).trimmed(), bar < 0 ? QString() : adno.mid(bar + 1).trimmed()};
    if (ad.text.isEmpty())
        return std::nullopt;
    return ad;
}
