// Everything an add-in source needs from the framework.
#pragma once

#include "xll/alert.h"
#include "xll/args.h"
#include "xll/auto.h"
#include "xll/export.h"
#include "xll/guarded.h"
#include "xll/host_call.h"
#include "xll/oper.h"
#include "xll/register.h"
