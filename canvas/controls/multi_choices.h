#pragma once
// Placeholder: filled in by the controls work.

#include "canvas/styles.h"
