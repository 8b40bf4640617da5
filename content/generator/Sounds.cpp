#include "Sounds.h"
namespace Content { void MakeSounds(Output&) {} }
