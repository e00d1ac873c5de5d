#include "localcharset.h"

#include <stdio.h>
#include <windows.h>

const char *locale_charset(void) {
    static char name[16];
    snprintf(name, sizeof name, "CP%u", GetACP());
    return name;
}
