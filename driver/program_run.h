// Kept until the reliability tests include driver/testing/program_run.h.
#pragma once

#include "driver/testing/program_run.h"
