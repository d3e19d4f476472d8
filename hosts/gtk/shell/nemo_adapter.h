/* What the module shell needs to know of Nemo (libnemo-extension). */
#ifndef TESSVIK_SHELL_NEMO_ADAPTER_H_
#define TESSVIK_SHELL_NEMO_ADAPTER_H_

#include <libnemo-extension/nemo-extension-types.h>
#include <libnemo-extension/nemo-file-info.h>
#include <libnemo-extension/nemo-info-provider.h>
#include <libnemo-extension/nemo-menu-provider.h>
#include <libnemo-extension/nemo-menu.h>

#define FM_FN(name) nemo_##name
#define FM_TYPE_INFO_PROVIDER NEMO_TYPE_INFO_PROVIDER
#define FM_TYPE_MENU_PROVIDER NEMO_TYPE_MENU_PROVIDER
#define FM_OPERATION_COMPLETE NEMO_OPERATION_COMPLETE
/* get_file_items is given the window first; the extension has no use for it. */
#define FM_MENU_WINDOW_PARAMETER GtkWidget *window G_GNUC_UNUSED,

typedef NemoInfoProviderInterface FmInfoProviderIface;
typedef NemoMenuProviderInterface FmMenuProviderIface;
typedef NemoFileInfo FmFileInfo;
typedef NemoInfoProvider FmInfoProvider;
typedef NemoMenuProvider FmMenuProvider;
typedef NemoMenuItem FmMenuItem;
typedef NemoOperationResult FmOperationResult;
typedef NemoOperationHandle FmOperationHandle;

#endif
