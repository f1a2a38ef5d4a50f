// Declarations of the spreadsheet host's C calling interface: the value records, their type tags,
// error codes, return codes and the function numbers this add-in and its headless host use.
// Written from the published layouts and numbers; only what Zorvane needs is declared.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#include <windows.h>
// A worksheet character is 16 bits on every platform.
typedef wchar_t XCHAR;
#else
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef uint32_t DWORD;
typedef int BOOL;
typedef char* LPSTR;
typedef void* HANDLE;
typedef uintptr_t DWORD_PTR;
typedef char16_t XCHAR;
#endif

#if defined(_WIN32) && !defined(_WIN64)
#define XLL_CALL __stdcall
#else
#define XLL_CALL
#endif

typedef int32_t RW;     // row of the wide interface
typedef int32_t COL;    // column of the wide interface
typedef WORD RW8;       // row of the 8-bit interface
typedef BYTE COL8;      // column of the 8-bit interface
typedef DWORD_PTR IDSHEET;

typedef struct xlref {
    WORD rwFirst;
    WORD rwLast;
    BYTE colFirst;
    BYTE colLast;
} XLREF, *LPXLREF;

typedef struct xlmref {
    WORD count;
    XLREF reftbl[1];
} XLMREF, *LPXLMREF;

typedef struct xlref12 {
    RW rwFirst;
    RW rwLast;
    COL colFirst;
    COL colLast;
} XLREF12, *LPXLREF12;

typedef struct xlmref12 {
    WORD count;
    XLREF12 reftbl[1];
} XLMREF12, *LPXLMREF12;

typedef struct xloper {
    union {
        double num;
        LPSTR str;          // counted: str[0] is the length in bytes
        WORD xbool;
        WORD err;
        short int w;
        struct {
            WORD count;
            XLREF ref;
        } sref;
        struct {
            XLMREF* lpmref;
            IDSHEET idSheet;
        } mref;
        struct {
            struct xloper* lparray;
            WORD rows;
            WORD columns;
        } array;
        struct {
            union {
                short int level;
                short int tbctrl;
                IDSHEET idSheet;
            } valflow;
            WORD rw;
            BYTE col;
            BYTE xlflow;
        } flow;
        struct {
            union {
                BYTE* lpbData;
                HANDLE hdata;
            } h;
            long cbData;
        } bigdata;
    } val;
    WORD xltype;
} XLOPER, *LPXLOPER;

typedef struct xloper12 {
    union {
        double num;
        XCHAR* str;         // counted: str[0] is the length in code units
        BOOL xbool;
        int err;
        int w;
        struct {
            WORD count;
            XLREF12 ref;
        } sref;
        struct {
            XLMREF12* lpmref;
            IDSHEET idSheet;
        } mref;
        struct {
            struct xloper12* lparray;
            RW rows;
            COL columns;
        } array;
        struct {
            union {
                int level;
                int tbctrl;
                IDSHEET idSheet;
            } valflow;
            RW rw;
            COL col;
            BYTE xlflow;
        } flow;
        struct {
            union {
                BYTE* lpbData;
                HANDLE hdata;
            } h;
            long cbData;
        } bigdata;
    } val;
    DWORD xltype;
} XLOPER12, *LPXLOPER12;

// Type tags.
enum : unsigned {
    xltypeNum = 0x0001,
    xltypeStr = 0x0002,
    xltypeBool = 0x0004,
    xltypeRef = 0x0008,
    xltypeErr = 0x0010,
    xltypeFlow = 0x0020,
    xltypeMulti = 0x0040,
    xltypeMissing = 0x0080,
    xltypeNil = 0x0100,
    xltypeSRef = 0x0400,
    xltypeInt = 0x0800,
    xlbitXLFree = 0x1000,
    xlbitDLLFree = 0x4000,
    xltypeBigData = xltypeStr | xltypeInt,
};

// Error codes.
enum : int {
    xlerrNull = 0,
    xlerrDiv0 = 7,
    xlerrValue = 15,
    xlerrRef = 23,
    xlerrName = 29,
    xlerrNum = 36,
    xlerrNA = 42,
    xlerrGettingData = 43,
};

// Return codes of the callbacks.
enum : int {
    xlretSuccess = 0,
    xlretAbort = 1,
    xlretInvXlfn = 2,
    xlretInvCount = 4,
    xlretInvXloper = 8,
    xlretStackOvfl = 16,
    xlretFailed = 32,
    xlretUncalced = 64,
    xlretNotThreadSafe = 128,
    xlretInvAsynchronousContext = 256,
    xlretNotClusterSafe = 512,
};

// Function-number classes.
enum : int {
    xlCommand = 0x8000,
    xlSpecial = 0x4000,
    xlIntl = 0x2000,
    xlPrompt = 0x1000,
};

// Special functions.
enum : int {
    xlFree = 0 | xlSpecial,
    xlStack = 1 | xlSpecial,
    xlCoerce = 2 | xlSpecial,
    xlSet = 3 | xlSpecial,
    xlSheetId = 4 | xlSpecial,
    xlSheetNm = 5 | xlSpecial,
    xlAbort = 6 | xlSpecial,
    xlGetInst = 7 | xlSpecial,
    xlGetHwnd = 8 | xlSpecial,
    xlGetName = 9 | xlSpecial,
    xlAsyncReturn = 16 | xlSpecial,
    xlEventRegister = 17 | xlSpecial,
};

// Events a command can be registered for with xlEventRegister.
enum : int {
    xleventCalculationEnded = 1,
    xleventCalculationCanceled = 2,
};

// Worksheet and macro-sheet functions.
enum : int {
    xlfCount = 0,
    xlfIf = 1,
    xlfIsna = 2,
    xlfIserror = 3,
    xlfSum = 4,
    xlfNa = 10,
    xlfAbs = 24,
    xlfInt = 25,
    xlfRound = 27,
    xlfIndex = 29,
    xlfRept = 30,
    xlfMid = 31,
    xlfLen = 32,
    xlfValue = 33,
    xlfTrue = 34,
    xlfFalse = 35,
    xlfAnd = 36,
    xlfOr = 37,
    xlfNot = 38,
    xlfMod = 39,
    xlfText = 48,
    xlfRand = 63,
    xlfDate = 65,
    xlfTime = 66,
    xlfDay = 67,
    xlfMonth = 68,
    xlfYear = 69,
    xlfWeekday = 70,
    xlfHour = 71,
    xlfMinute = 72,
    xlfSecond = 73,
    xlfNow = 74,
    xlfRows = 76,
    xlfColumns = 77,
    xlfOffset = 78,
    xlfRelref = 80,
    xlfSearch = 82,
    xlfEcho = 87,          // ECHO, called without the command bit
    xlfActiveCell = 94,
    xlfLeft = 115,
    xlfRight = 116,
    xlfExact = 117,
    xlfTrim = 118,
    xlfFind = 124,
    xlfIstext = 127,
    xlfIsnumber = 128,
    xlfIsblank = 129,
    xlfRegister = 149,
    xlfDialogBox = 161,
    xlfGetCell = 185,
    xlfGetWorkspace = 186,
    xlfUnregister = 201,
    xlfEvaluate = 257,
    xlfRegisterId = 267,
    xlfConcatenate = 336,
};

// Commands.
enum : int {
    xlcAlignment = 43 | xlCommand,
    xlcDefineName = 61 | xlCommand,
    xlcFormula = 96 | xlCommand,
    xlcSelect = 109 | xlCommand,
    xlcAlert = 118 | xlCommand,
    xlcMessage = 122 | xlCommand,
    xlcOnTime = 148 | xlCommand,
    xlcOnKey = 168 | xlCommand,
    xlcApplyStyle = 212 | xlCommand,
    xlcDefineStyle = 229 | xlCommand,
};

// The host's wide callback, as exported by the host process under "MdCallBack12".
typedef int(XLL_CALL* EXCEL12PROC)(int xlfn, int coper, LPXLOPER12* rgpxloper12, LPXLOPER12 xloper12Result);
// The 8-bit callback and the version query of the host library (ordinals 3 and 1).
typedef int(XLL_CALL* EXCEL4VPROC)(int xlfn, LPXLOPER operRes, int count, LPXLOPER opers[]);
typedef int(XLL_CALL* XLCALLVERPROC)(void);
