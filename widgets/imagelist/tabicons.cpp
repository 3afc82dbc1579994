#include "platform/propertybag.h"
#include "widgets/imagelist/keyimagelist.h"

#include <QFile>

// At file scope: the initialiser it declares must not fall into an unnamed namespace.
static void initTabIconResource() {
    Q_INIT_RESOURCE(tabicons);
}

void loadKeyImageList1(KeyImageList& list) {
    initTabIconResource();
    QFile data(QStringLiteral(":/imagelist/keyimagelist1.bag"));
    // No data reads as an empty bag: the list is made, without images.
    const QByteArray bytes = data.open(QIODevice::ReadOnly) ? data.readAll() : QByteArray();
    list.readProperties(platform::PropertyBag::fromBytes(bytes));
}
