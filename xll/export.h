// Declares the add-in's exports under the exact names the host registers.
// The names live in one place, Zorvane.def: the Windows linker reads it directly, and for ELF the
// build turns each entry into an assembler label (with '@' mapped, see export_name.h) that
// XLL_EXPORT_AS picks up. A function missing from Zorvane.def therefore fails to compile on Linux.
#pragma once

#include "xll/xlcall.h"

#if defined(_WIN32)
#define XLL_VISIBLE
#define XLL_EXPORT_AS(internal)
#else
#include "xll_export_labels.h"   // generated from Zorvane.def
#define XLL_VISIBLE __attribute__((visibility("default")))
#define XLL_EXPORT_AS(internal) XLL_LABEL_##internal
#endif

// XLL_EXPORT(ret, internal, (params)) { body }
#define XLL_EXPORT(ret, internal, params)                                               \
    extern "C" XLL_VISIBLE ret XLL_CALL internal params XLL_EXPORT_AS(internal);        \
    extern "C" XLL_VISIBLE ret XLL_CALL internal params
