// The interface identifiers the session and the address book answer to, defined here once.
#include <windows.h>
#include <initguid.h>
#define USES_IID_IMAPISession
#define USES_IID_IMAPIProp
#define USES_IID_IAddrBook
#include <mapiguid.h>
