/* The module a file manager loads: its three C entry points and one GObject
 * type that gives the file manager the items' emblems (an info provider) and
 * the context menu (a menu provider). Everything else is the extension,
 * behind extension_api.h. Built once per file manager, with that file
 * manager's adapter (TESSVIK_FM_ADAPTER: nautilus_adapter.h, nemo_adapter.h
 * or caja_adapter.h), which names its types (Fm…) and functions (FM_FN). */
#include TESSVIK_FM_ADAPTER

#include "file_manager/glib/extension_api.h"

/* The extension of this process: made when the module is loaded, on the file
 * manager's main thread, and kept until the module is shut down. */
static TessvikExtension* extension = NULL;

typedef struct {
  GObject parent;
} TessvikProvider;

typedef struct {
  GObjectClass parent_class;
} TessvikProviderClass;

static void tessvik_info_provider_init(FmInfoProviderIface* iface);
static void tessvik_menu_provider_init(FmMenuProviderIface* iface);

G_DEFINE_DYNAMIC_TYPE_EXTENDED(TessvikProvider, tessvik_provider, G_TYPE_OBJECT, 0,
                               G_IMPLEMENT_INTERFACE_DYNAMIC(FM_TYPE_INFO_PROVIDER,
                                                             tessvik_info_provider_init)
                                   G_IMPLEMENT_INTERFACE_DYNAMIC(FM_TYPE_MENU_PROVIDER,
                                                                 tessvik_menu_provider_init))

static void tessvik_provider_class_init(TessvikProviderClass* klass G_GNUC_UNUSED) {}
static void tessvik_provider_class_finalize(TessvikProviderClass* klass G_GNUC_UNUSED) {}
static void tessvik_provider_init(TessvikProvider* self G_GNUC_UNUSED) {}

/* The local path of `file`, newly allocated, or NULL for an item that has
 * none (trash, network locations). */
static char* item_path(FmFileInfo* file) {
  GFile* location = FM_FN(file_info_get_location)(file);
  if (location == NULL) return NULL;
  char* path = g_file_get_path(location);
  g_object_unref(location);
  return path;
}

/* The extension asks the file manager to ask again about the item at `uri`:
 * only an item the file manager holds has anything to refresh. */
static void invalidate_uri(const char* uri) {
  FmFileInfo* file = FM_FN(file_info_lookup_for_uri)(uri);
  if (file == NULL) return;
  FM_FN(file_info_invalidate_extension_info)(file);
  g_object_unref(file);
}

/* The path under which an item was last handed to the extension is kept on
 * the item; when the item lets go of it (it is finalized, or the path is
 * replaced after a rename) the extension forgets it. */
static const char kHeldPathKey[] = "tessvik-held-path";

static void release_held_path(gpointer path) {
  tessvik_extension_item_gone(extension, path);
  g_free(path);
}

static void hold_path(FmFileInfo* file, const char* path) {
  const char* held = g_object_get_data(G_OBJECT(file), kHeldPathKey);
  if (g_strcmp0(held, path) == 0) return;
  tessvik_extension_item_shown(extension, path);
  g_object_set_data_full(G_OBJECT(file), kHeldPathKey, g_strdup(path), release_held_path);
}

static FmOperationResult update_file_info(FmInfoProvider* provider G_GNUC_UNUSED, FmFileInfo* file,
                                          GClosure* update_complete G_GNUC_UNUSED,
                                          FmOperationHandle** handle G_GNUC_UNUSED) {
  char* path = item_path(file);
  if (path != NULL) {
    hold_path(file, path);
    char* emblem =
        tessvik_extension_emblem_for(extension, path, FM_FN(file_info_is_directory)(file));
    if (emblem != NULL) FM_FN(file_info_add_emblem)(file, emblem);
    g_free(emblem);
  }
  g_free(path);
  return FM_OPERATION_COMPLETE;
}

static void tessvik_info_provider_init(FmInfoProviderIface* iface) {
  iface->update_file_info = update_file_info;
}

/* The local paths of `files` (NULL for an item that has none), `count` of
 * them; free them with free_paths. */
static char** item_paths(GList* files, guint count) {
  char** paths = g_new0(char*, count);
  guint i = 0;
  for (GList* l = files; l != NULL; l = l->next, ++i) paths[i] = item_path(l->data);
  return paths;
}

/* Not g_strfreev: a path in the middle may be NULL. */
static void free_paths(char** paths, guint count) {
  for (guint i = 0; i < count; ++i) g_free(paths[i]);
  g_free(paths);
}

/* A chosen menu item hands the extension the items it was offered for. */
static void on_menu_item_activate(FmMenuItem* item, gpointer user_data G_GNUC_UNUSED) {
  const char* name = g_object_get_data(G_OBJECT(item), "tessvik-name");
  GList* files = g_object_get_data(G_OBJECT(item), "tessvik-files");
  const guint count = g_list_length(files);
  char** paths = item_paths(files, count);
  int* directories = g_new0(int, count + 1);
  guint i = 0;
  for (GList* l = files; l != NULL; l = l->next, ++i) {
    directories[i] = FM_FN(file_info_is_directory)(l->data);
  }
  tessvik_extension_activate(extension, name, (const char* const*)paths, directories, count);
  free_paths(paths, count);
  g_free(directories);
}

static void free_file_list(gpointer files) {
  FM_FN(file_info_list_free)(files);
}

typedef struct {
  GList* files;
  GList* items;
} MenuBuild;

static void add_menu_item(void* user_data, const char* name, const char* label, const char* icon) {
  MenuBuild* build = user_data;
  FmMenuItem* item = FM_FN(menu_item_new)(name, label, "", icon);
  g_object_set_data_full(G_OBJECT(item), "tessvik-name", g_strdup(name), g_free);
  g_object_set_data_full(G_OBJECT(item), "tessvik-files", FM_FN(file_info_list_copy)(build->files),
                         free_file_list);
  g_signal_connect(item, "activate", G_CALLBACK(on_menu_item_activate), NULL);
  build->items = g_list_append(build->items, item);
}

static GList* get_file_items(FmMenuProvider* provider G_GNUC_UNUSED,
                             FM_MENU_WINDOW_PARAMETER GList* files) {
  if (files == NULL) return NULL;
  /* Offered only for items in the folders the extension observes. */
  const guint count = g_list_length(files);
  char** paths = item_paths(files, count);
  MenuBuild build = {files, NULL};
  tessvik_extension_menu_for_items(extension, (const char* const*)paths, count, add_menu_item,
                                   &build);
  free_paths(paths, count);
  return build.items;
}

static void tessvik_menu_provider_init(FmMenuProviderIface* iface) {
  iface->get_file_items = get_file_items;
}

static GType provider_types[1];

void FM_FN(module_initialize)(GTypeModule* module) {
  tessvik_provider_register_type(module);
  provider_types[0] = tessvik_provider_get_type();
  if (extension == NULL) extension = tessvik_extension_new(invalidate_uri);
}

void FM_FN(module_shutdown)(void) {
  tessvik_extension_free(extension);
  extension = NULL;
}

void FM_FN(module_list_types)(const GType** types, int* num_types) {
  *types = provider_types;
  *num_types = G_N_ELEMENTS(provider_types);
}
