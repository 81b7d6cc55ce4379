#include "platform/qt/dialog_font.h"

#include <QStringList>

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
    if (dialogTemplate.fontPoints > 0) {
        font.setPointSize(dialogTemplate.fontPoints);
    }
    return font;
}

}  // namespace kestrova::platform
