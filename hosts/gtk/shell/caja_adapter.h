/* What the module shell needs to know of Caja (libcaja-extension). */
#ifndef TESSVIK_SHELL_CAJA_ADAPTER_H_
#define TESSVIK_SHELL_CAJA_ADAPTER_H_

#include <libcaja-extension/caja-extension-types.h>
#include <libcaja-extension/caja-file-info.h>
#include <libcaja-extension/caja-info-provider.h>
#include <libcaja-extension/caja-menu-provider.h>
#include <libcaja-extension/caja-menu.h>

#define FM_FN(name) caja_##name
#define FM_TYPE_INFO_PROVIDER CAJA_TYPE_INFO_PROVIDER
#define FM_TYPE_MENU_PROVIDER CAJA_TYPE_MENU_PROVIDER
#define FM_OPERATION_COMPLETE CAJA_OPERATION_COMPLETE
/* get_file_items is given the window first; the extension has no use for it. */
#define FM_MENU_WINDOW_PARAMETER GtkWidget *window G_GNUC_UNUSED,

typedef CajaInfoProviderIface FmInfoProviderIface;
typedef CajaMenuProviderIface FmMenuProviderIface;
typedef CajaFileInfo FmFileInfo;
typedef CajaInfoProvider FmInfoProvider;
typedef CajaMenuProvider FmMenuProvider;
typedef CajaMenuItem FmMenuItem;
typedef CajaOperationResult FmOperationResult;
typedef CajaOperationHandle FmOperationHandle;

#endif
