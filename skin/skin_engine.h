#pragma once

// The skin engine's C interface: one function that applies a skin file to the running Qt application.

#if defined(_WIN32)
#define SKINH_CALL __stdcall
#if defined(VARNICK_SKIN_BUILDING)
#define SKINH_API __declspec(dllexport)
#else
#define SKINH_API __declspec(dllimport)
#endif
#else
#define SKINH_CALL
#define SKINH_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

// Results of SkinH_AttachEx.
enum {
    SKINH_OK = 0,               /* the skin is applied */
    SKINH_ERROR_ARGUMENT = 1,   /* no skin path, or no QApplication in the process */
    SKINH_ERROR_FILE = 2,       /* the skin file cannot be opened or read */
    SKINH_ERROR_NOT_A_SKIN = 3, /* the file does not begin with ".SHE" */
    SKINH_ERROR_VERSION = 4,    /* a skin file of a version this engine does not read */
    SKINH_ERROR_CORRUPT = 5,    /* checksum, sections, palette entries or look values are damaged */
    SKINH_ERROR_STYLE = 6       /* the skin names a Qt style that is not available */
};

// Reads the skin file at the UTF-8 path skinFile and applies its style (the named Qt style drawn with the skin's
// look) and palette to the whole QApplication; reserved is ignored (pass "").
// Returns SKINH_OK, or one of the error codes with nothing changed. Once a skin is applied the library stays
// loaded until the process ends, since the application's style is its code.
SKINH_API int SKINH_CALL SkinH_AttachEx(const char* skinFile, const char* reserved);

// The type of SkinH_AttachEx, for callers that bind it at run time.
typedef int(SKINH_CALL* SkinH_AttachExFunction)(const char* skinFile, const char* reserved);

#ifdef __cplusplus
}
#endif
