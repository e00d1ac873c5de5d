/* iconv for Terralog's Windows SDK, over the Win32 code-page calls (see iconv.c). */
#ifndef TERRALOG_ICONV_H
#define TERRALOG_ICONV_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct terralog_iconv *iconv_t;

iconv_t iconv_open(const char *tocode, const char *fromcode);
size_t iconv(iconv_t cd, char **inbuf, size_t *inbytesleft, char **outbuf, size_t *outbytesleft);
int iconv_close(iconv_t cd);

#ifdef __cplusplus
}
#endif

#endif
