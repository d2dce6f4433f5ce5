#include "hu/ft_modules.h"

#include FT_MODULE_H

FT_Error hu_FT_Add_Module(FT_Library library, const char* module_name) {
    if (library == nullptr) return FT_Err_Invalid_Library_Handle;
    return FT_Get_Module(library, module_name) != nullptr ? FT_Err_Ok : FT_Err_Missing_Module;
}
