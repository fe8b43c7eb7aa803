#include "platform/ui/AppIcon.h"

#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// Resources of a static library are registered by name, outside any namespace.
static void initIconResources() {
    Q_INIT_RESOURCE(icon);
}

namespace tko {

QIcon applicationIcon() {
    initIconResources();
    QSvgRenderer svg(QStringLiteral(":/icons/taskorbit.svg"));
    QIcon icon;
    if (!svg.isValid()) return icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        svg.render(&painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace tko
