#pragma once

#include <QFont>
#include <QString>

#include "platform/dialog_template.h"

namespace kestrova::platform {

// The Ming face that stands in for the Windows Ming faces (新細明體 and its
// kin) on Linux: Debian's fonts-arphic-uming.
inline constexpr char kMingStandInFamily[] = "AR PL UMing TW";

// The font a template names, with a Linux face standing in for a Windows one
// the system lacks, at the template's size or the desktop's font size where
// that is larger.
QFont DialogFont(const DialogTemplate& dialogTemplate);

// The family to ask for in place of a template's face.
QString StandInFamily(const QString& templateFace);

}  // namespace kestrova::platform
