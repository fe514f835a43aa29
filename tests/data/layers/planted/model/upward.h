#pragma once

// Planted upward include: the layering check must refuse it.
#include "render/axis.h"
