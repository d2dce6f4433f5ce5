// The target's FreeType registers no modules in FT_Init_FreeType; a program adds the ones
// it needs with FT_Add_Module and the library's module classes. The host's FreeType keeps
// those classes private and registers all of its modules at initialisation, so the
// program names the module instead: the call succeeds when the library holds it.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

// Module names of the three modules a TrueType program needs.
#define HU_FT_SMOOTH_RENDERER "smooth"
#define HU_FT_SFNT_MODULE "sfnt"
#define HU_FT_TRUETYPE_DRIVER "truetype"

FT_Error hu_FT_Add_Module(FT_Library library, const char* module_name);
