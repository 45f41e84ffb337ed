// Identifiers of the module's texts and of the Send Mail dialog's controls. Shared by the
// resource scripts (the module's own and the localized libraries) and the code.
#ifndef UXD_RESOURCE_IDS_H
#define UXD_RESOURCE_IDS_H

#define IDS_DESTINATION_NAME        1000
#define IDS_NO_MATCH                1001
#define IDS_AMBIGUOUS               1002
#define IDS_MAPI_ERROR              1003
#define IDS_MAPI_CAPTION            1004
#define IDS_TO_REQUIRED             1005
#define IDS_FUNCTION_MISSING        1006
#define IDS_MAPI_NOT_LOADED         1007
#define IDS_MAPI_NOT_CONFIGURED     1008
#define IDS_DESTINATION_DESCRIPTION 1009

#define IDC_TO_BOX          800
#define IDC_CC_BOX          801
#define IDC_SUBJECT_BOX     802
#define IDC_MESSAGE_BOX     803
#define IDC_CHECK_NAMES     805
#define IDC_ADDRESS         806
#define IDC_BCC_BOX         808

#endif
