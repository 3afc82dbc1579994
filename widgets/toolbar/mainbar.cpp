#include "widgets/toolbar/mainbar.h"

#include <QFile>

// At file scope: the initialiser it declares must not fall into an unnamed namespace.
static void initMainBarResource() {
    Q_INIT_RESOURCE(mainbar);
}

namespace toolbar {

platform::PropertyBag mainBarDesign() {
    initMainBarResource();
    QFile data(QStringLiteral(":/toolbar/mainbar.bag"));
    const QByteArray bytes = data.open(QIODevice::ReadOnly) ? data.readAll() : QByteArray();
    return platform::PropertyBag::fromBytes(bytes);
}

} // namespace toolbar
