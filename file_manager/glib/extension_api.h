/* The boundary between a file manager's module shell (C) and the extension
 * (C++). Every function here may be called from C: none lets an exception
 * out (a failure is logged and the call does nothing). All of them run on the
 * file manager's main loop, the loop the extension's timer is scheduled on. */
#ifndef TESSVIK_FILE_MANAGER_GLIB_EXTENSION_API_H_
#define TESSVIK_FILE_MANAGER_GLIB_EXTENSION_API_H_

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct TessvikExtension TessvikExtension;

/* The file manager's lookup-and-invalidate for the item at `uri` (a file
 * URI): the file manager asks the extension again for that item, if it holds
 * it. */
typedef void (*TessvikInvalidateFunc)(const char* uri);

/* Receives one menu item: its unique name, its label and its icon name (NULL
 * for none). The strings live only for the call. */
typedef void (*TessvikAddMenuItemFunc)(void* user_data, const char* name, const char* label,
                                       const char* icon);

/* Starts the extension on the thread-default main loop, with the real file
 * system, user database, GLib log and desktop. The caller owns the result
 * (free it with tessvik_extension_free) and keeps it for the life of the
 * process. NULL if it could not be made. */
TessvikExtension* tessvik_extension_new(TessvikInvalidateFunc invalidate);

/* Ends the extension; NULL is allowed. */
void tessvik_extension_free(TessvikExtension* extension);

/* The emblem icon name for the item at `path` (absolute) that the file
 * manager shows, newly allocated (free it with g_free), or NULL for none. */
char* tessvik_extension_emblem_for(TessvikExtension* extension, const char* path, int is_directory);

/* One of the file manager's items now holds the path `path` (absolute):
 * while it does, a change of its badge refreshes it. Call it once per item
 * and path, and tessvik_extension_item_gone with the same path when that
 * item lets go of it (it is finalized, or renamed). */
void tessvik_extension_item_shown(TessvikExtension* extension, const char* path);
void tessvik_extension_item_gone(TessvikExtension* extension, const char* path);

/* The context menu for the `count` items selected at `paths` (absolute; NULL
 * for an item with no local path): `add` is called once per menu item, in
 * order, and not at all unless every item lies in an observed folder. */
void tessvik_extension_menu_for_items(TessvikExtension* extension, const char* const* paths,
                                      size_t count, TessvikAddMenuItemFunc add, void* user_data);

/* The menu item called `name` was chosen with `count` items selected: their
 * paths (absolute; NULL for an item with no local path, which is skipped) and
 * whether each is a folder, in the file manager's order. */
void tessvik_extension_activate(TessvikExtension* extension, const char* name,
                                const char* const* paths, const int* is_directory, size_t count);

#ifdef __cplusplus
}
#endif

#endif /* TESSVIK_FILE_MANAGER_GLIB_EXTENSION_API_H_ */
