/* The application-list header compiled as C: its layout assertions hold there, and C sees the same layout. */
#include "tsappinst/TsAppInst.h"

size_t TsAppRecordSizeSeenFromC(void)
{
    return sizeof(APP_INFO);
}

size_t TsAppModelsOffsetSeenFromC(void)
{
    return offsetof(APP_INFO, models);
}
