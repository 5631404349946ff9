// The platform half of the external calls: the dynamic loader, and one libffi call interface per
// definition. Reals pass as doubles and strings as text pointers; stdcall and cdecl are the one
// System V convention here, so both take the default ABI.
#include <dlfcn.h>
#include <ffi.h>

#include "code/Code_Value.h"
#include "support/Support_DLL.h"

struct DLLCallForm {
    ffi_cif cif;
    ffi_type* argumentTypes[DLL_MAX_ARGUMENTS];
    int32_t argc;
    int32_t types[DLL_MAX_ARGUMENTS];
    int32_t resultType;
};

namespace {

void* SystemOpen(const char* path) { return dlopen(path, RTLD_NOW | RTLD_LOCAL); }
void* SystemSymbol(void* handle, const char* name) { return dlsym(handle, name); }
void SystemClose(void* handle) { dlclose(handle); }

} // namespace

const DLLLoader DLL_SYSTEM_LOADER = {SystemOpen, SystemSymbol, SystemClose};

DLLCallForm* DLL_PrepareCallForm(int32_t argc, const int32_t* types, int32_t resultType)
{
    if (argc < 0 || argc > DLL_MAX_ARGUMENTS) return nullptr;
    auto* form = new DLLCallForm();
    form->argc = argc;
    form->resultType = resultType;
    for (int32_t i = 0; i < argc; ++i) {
        form->types[i] = types[i];
        form->argumentTypes[i] = types[i] == DLL_TYPE_REAL ? &ffi_type_double : &ffi_type_pointer;
    }
    ffi_type* result = resultType == DLL_TYPE_STRING ? &ffi_type_pointer : &ffi_type_double;
    if (ffi_prep_cif(&form->cif, FFI_DEFAULT_ABI, static_cast<unsigned>(argc), result, form->argumentTypes) != FFI_OK) {
        delete form;
        return nullptr;
    }
    return form;
}

void DLL_FreeCallForm(DLLCallForm* form) { delete form; }

void DLL_Invoke(const DLLCallForm* form, void* address, const double* reals, const char* const* texts,
                ScriptValue* result)
{
    void* values[DLL_MAX_ARGUMENTS];
    for (int32_t i = 0; i < form->argc; ++i)
        values[i] = form->types[i] == DLL_TYPE_REAL ? static_cast<void*>(const_cast<double*>(&reals[i]))
                                                    : static_cast<void*>(const_cast<const char**>(&texts[i]));
    union {
        ffi_arg word;
        double real;
        const char* text;
    } returned = {};
    ffi_call(const_cast<ffi_cif*>(&form->cif), reinterpret_cast<void (*)()>(address), &returned, values);
    if (form->resultType == DLL_TYPE_STRING) Value_SetText(result, returned.text);
    else Value_SetReal(result, returned.real);
}
