#include "Music.h"
namespace Content { void MakeMusic(Output&) {} }
