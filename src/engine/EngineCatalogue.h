#pragma once
// The engine's view of the image catalogue.
#include "images/Catalogue.h"
#include "images/LoadModule.h"
#include "images/ModuleSignature.h"
