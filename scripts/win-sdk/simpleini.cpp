// The bodies of SimpleIni's classes, as Debian's libsimpleini holds them for Linux: its four
// typedefs, here with the Win32 conversions that SimpleIni.h chooses on Windows. Debian's
// header holds the bodies under SI_IMPLEMENTATION.
#define SI_IMPLEMENTATION
#include <SimpleIni.h>

template class CSimpleIniTempl<char, SI_NoCase<char>, SI_ConvertA<char>>;      // CSimpleIniA
template class CSimpleIniTempl<char, SI_Case<char>, SI_ConvertA<char>>;        // CSimpleIniCaseA
template class CSimpleIniTempl<wchar_t, SI_NoCase<wchar_t>, SI_ConvertW<wchar_t>>;  // CSimpleIniW
template class CSimpleIniTempl<wchar_t, SI_Case<wchar_t>, SI_ConvertW<wchar_t>>;    // CSimpleIniCaseW
