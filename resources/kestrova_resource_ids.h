// Identifiers of the Windows module's resources, shared by KESTROVA.rc and the
// code that loads them.
#pragma once

#define IDS_KESTROVA 1
#define IDS_KESTROVA_PPG 2
#define IDS_KESTROVA_PPG_CAPTION 200

#define IDB_KESTROVA 1

#define IDD_PROPPAGE_KESTROVA 200
