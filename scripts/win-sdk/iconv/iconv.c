/* iconv_open, iconv and iconv_close over MultiByteToWideChar and WideCharToMultiByte, for the
 * charsets FreeXL asks for: UTF-8, UTF-16LE, ASCII, MacRoman and the code pages CPnnn.
 * MinGW has no iconv, and Debian builds GNU libiconv for no Windows target; FreeXL needs
 * only these conversions, which Windows itself provides.
 *
 * Text goes through UTF-16. A whole buffer takes one call each way; only when that fails does
 * the conversion go one character at a time, to stop where iconv must: on the character that
 * has no equivalent (EILSEQ), that the input cuts short (EINVAL) or that does not fit (E2BIG).
 * The conversions keep no state between calls. */

#include "iconv.h"

#include <errno.h>
#include <limits.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

/* Windows' number for UTF-16LE, which the code-page calls do not take. */
#define CP_UTF16LE 1200u

struct terralog_iconv {
    UINT from;
    UINT to;
};

static UINT code_page(const char *name) {
    if (_stricmp(name, "UTF-8") == 0)
        return CP_UTF8;
    if (_stricmp(name, "UTF-16LE") == 0)
        return CP_UTF16LE;
    UINT cp = 0;
    if (_stricmp(name, "ASCII") == 0) {
        cp = 20127;
    } else if (_stricmp(name, "MacRoman") == 0) {
        cp = 10000;
    } else if (_strnicmp(name, "CP", 2) == 0 && name[2] >= '1' && name[2] <= '9') {
        char *end;
        unsigned long n = strtoul(name + 2, &end, 10);
        if (*end == '\0' && n <= 65535)
            cp = (UINT)n;
    }
    return cp != 0 && IsValidCodePage(cp) ? cp : 0;
}

iconv_t iconv_open(const char *tocode, const char *fromcode) {
    UINT to = code_page(tocode);
    UINT from = code_page(fromcode);
    iconv_t cd = to && from ? malloc(sizeof *cd) : NULL;
    if (!cd) {
        errno = to && from ? ENOMEM : EINVAL;
        return (iconv_t)-1;
    }
    cd->from = from;
    cd->to = to;
    return cd;
}

int iconv_close(iconv_t cd) {
    free(cd);
    return 0;
}

/* The bytes of the character that starts at p, of n bytes left; 0 if the input ends amid it. */
static size_t char_length(UINT cp, const unsigned char *p, size_t n) {
    size_t len = 1;
    if (cp == CP_UTF16LE)
        len = n >= 2 && (p[1] & 0xFC) == 0xD8 ? 4 : 2; /* a high surrogate starts a pair */
    else if (cp == CP_UTF8) /* a byte that starts no sequence counts alone, to be refused */
        len = p[0] < 0xC0 ? 1 : p[0] < 0xE0 ? 2 : p[0] < 0xF0 ? 3 : p[0] < 0xF8 ? 4 : 1;
    else if (IsDBCSLeadByteEx(cp, p[0]))
        len = 2;
    return len <= n ? len : 0;
}

/* Decodes len bytes into at most room UTF-16 units; their count, or 0 on invalid input. */
static int decode(UINT cp, const char *in, size_t len, WCHAR *out, size_t room) {
    if (cp == CP_UTF16LE) {
        if (len % 2 != 0 || len / 2 > room)
            return 0;
        memcpy(out, in, len);
        return (int)(len / 2);
    }
    return MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, in, (int)len, out, (int)room);
}

/* Encodes n UTF-16 units into at most room bytes; the bytes written, or -1 with errno set. */
static long encode(UINT cp, const WCHAR *in, int n, char *out, size_t room) {
    if (cp == CP_UTF16LE) {
        if ((size_t)n * 2 > room) {
            errno = E2BIG;
            return -1;
        }
        memcpy(out, in, (size_t)n * 2);
        return (long)n * 2;
    }
    /* UTF-8 refuses lone surrogates itself; other code pages report a stand-in character. */
    DWORD flags = cp == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL stand_in = FALSE;
    int needed = WideCharToMultiByte(cp, flags, in, n, NULL, 0, NULL, cp == CP_UTF8 ? NULL : &stand_in);
    if (needed == 0 || stand_in) {
        errno = EILSEQ;
        return -1;
    }
    if ((size_t)needed > room) {
        errno = E2BIG;
        return -1;
    }
    return WideCharToMultiByte(cp, flags, in, n, out, needed, NULL, NULL);
}

/* Converts len bytes through the UTF-16 buffer wide of room units; as encode. */
static long convert(iconv_t cd, const char *in, size_t len, WCHAR *wide, size_t room, char *out,
                    size_t out_room) {
    int n = decode(cd->from, in, len, wide, room);
    if (n == 0) {
        errno = EILSEQ;
        return -1;
    }
    return encode(cd->to, wide, n, out, out_room);
}

size_t iconv(iconv_t cd, char **inbuf, size_t *inbytesleft, char **outbuf, size_t *outbytesleft) {
    if (!inbuf || !*inbuf || *inbytesleft == 0)
        return 0; /* no shift state to reset or to write out */

    /* Each input byte gives at most one UTF-16 unit. */
    size_t len = *inbytesleft;
    WCHAR *wide = len <= INT_MAX / 2 ? malloc(len * sizeof *wide) : NULL;
    if (wide) {
        long n = convert(cd, *inbuf, len, wide, len, *outbuf, *outbytesleft);
        free(wide);
        if (n >= 0) {
            *inbuf += len;
            *inbytesleft = 0;
            *outbuf += n;
            *outbytesleft -= (size_t)n;
            return 0;
        }
    }

    while (*inbytesleft > 0) {
        WCHAR one[2]; /* a character is at most a surrogate pair */
        size_t clen = char_length(cd->from, (const unsigned char *)*inbuf, *inbytesleft);
        if (clen == 0) {
            errno = EINVAL;
            return (size_t)-1;
        }
        long n = convert(cd, *inbuf, clen, one, 2, *outbuf, *outbytesleft);
        if (n < 0)
            return (size_t)-1;
        *inbuf += clen;
        *inbytesleft -= clen;
        *outbuf += n;
        *outbytesleft -= (size_t)n;
    }
    return 0;
}
