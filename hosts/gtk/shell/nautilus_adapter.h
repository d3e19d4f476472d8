/* What the module shell needs to know of Nautilus (libnautilus-extension-4). */
#ifndef TESSVIK_SHELL_NAUTILUS_ADAPTER_H_
#define TESSVIK_SHELL_NAUTILUS_ADAPTER_H_

#include <nautilus-extension.h>

#define FM_FN(name) nautilus_##name
#define FM_TYPE_INFO_PROVIDER NAUTILUS_TYPE_INFO_PROVIDER
#define FM_TYPE_MENU_PROVIDER NAUTILUS_TYPE_MENU_PROVIDER
#define FM_OPERATION_COMPLETE NAUTILUS_OPERATION_COMPLETE
/* get_file_items is given no window. */
#define FM_MENU_WINDOW_PARAMETER

typedef NautilusInfoProviderInterface FmInfoProviderIface;
typedef NautilusMenuProviderInterface FmMenuProviderIface;
typedef NautilusFileInfo FmFileInfo;
typedef NautilusInfoProvider FmInfoProvider;
typedef NautilusMenuProvider FmMenuProvider;
typedef NautilusMenuItem FmMenuItem;
typedef NautilusOperationResult FmOperationResult;
typedef NautilusOperationHandle FmOperationHandle;

#endif
