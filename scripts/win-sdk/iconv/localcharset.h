/* locale_charset for Terralog's Windows SDK: FreeXL's configure asks for it. */
#ifndef TERRALOG_LOCALCHARSET_H
#define TERRALOG_LOCALCHARSET_H

#ifdef __cplusplus
extern "C" {
#endif

/* The ANSI code page of the process, as "CP1250" and the like. */
const char *locale_charset(void);

#ifdef __cplusplus
}
#endif

#endif
