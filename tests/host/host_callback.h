// Where an add-in of the tests finds the host's wide callback: exported by the host's executable,
// looked up in the process (one file per platform).
#pragma once

#include "xll/xlcall.h"

EXCEL12PROC host_callback12();
