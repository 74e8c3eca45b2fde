// Resource ids shared by the host's resource script and its code.
#pragma once

#define IDI_ORVALIS 1
#define IDB_PREVIEW 101
#define IDB_PREVIEW_LARGE 102
// Screen savers carry their display name as string 1.
#define IDS_DESCRIPTION 1
