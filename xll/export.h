// Declares the add-in's exports under the exact names the host registers.
// The names live in one place, the catalogue (catalogue.cpp, beside the framework's own entries in
// framework_exports.def): the build writes from it the module-definition file the Windows linker
// reads and, for ELF, an assembler label per export (with '@' mapped, see export_name.h) that
// XLL_EXPORT_AS picks up. A function missing from the catalogue therefore fails to compile on Linux.
#pragma once

#include "xll/xlcall.h"

#if defined(_WIN32)
#define XLL_VISIBLE
#define XLL_EXPORT_AS(internal)
#else
#include "xll_export_labels.h" // generated from the catalogue
#define XLL_VISIBLE __attribute__((visibility("default")))
#define XLL_EXPORT_AS(internal) XLL_LABEL_##internal
#endif

// XLL_EXPORT(ret, internal, (params)) { body }
#define XLL_EXPORT(ret, internal, params)                                               \
    extern "C" XLL_VISIBLE ret XLL_CALL internal params XLL_EXPORT_AS(internal);        \
    extern "C" XLL_VISIBLE ret XLL_CALL internal params

// A procedure in the catalogue: its export name as registered, and the exported function behind
// it, which the build reads from the catalogue's text (cmake/Exports.cmake). In C++ it is the name
// alone, wide (XLL_PROCEDURE) or 8-bit (XLL_PROCEDURE4).
#define XLL_PROCEDURE(name, function) XLL_T(name)
#define XLL_PROCEDURE4(name, function) name
