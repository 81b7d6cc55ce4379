#include "platform/qt/dialog_font.h"

#include <QApplication>
#include <QStringList>
#include <algorithm>

#include "platform/qt/qt_text.h"

namespace kestrova::platform {

QString StandInFamily(const QString& templateFace) {
    static const QStringList windowsMingFaces = {
        QString::fromUtf8("新細明體"), QString::fromUtf8("細明體"), QStringLiteral("PMingLiU"),
        QStringLiteral("MingLiU")};
    if (windowsMingFaces.contains(templateFace, Qt::CaseInsensitive)) {
        return QString::fromLatin1(kMingStandInFamily);
    }
    return templateFace;
}

QFont DialogFont(const DialogTemplate& dialogTemplate) {
    QFont font(StandInFamily(FromAnsi(dialogTemplate.fontFace)));
    // A person who chose a larger font for the desktop gets it here too;
    // the layout grows with it, being in units of this font.
    const qreal systemPoints = QApplication::font().pointSizeF();
    if (dialogTemplate.fontPoints > 0 || systemPoints > 0) {
        font.setPointSizeF(std::max<qreal>(dialogTemplate.fontPoints, systemPoints));
    }
    return font;
}

}  // namespace kestrova::platform
