// Every message the extension logs, as format strings: "%{public}s" for text,
// "%ld" for a count.
#pragma once

namespace tessvik::messages {

inline constexpr const char* kStarted = "extension démarrée, dossier d'état : %{public}s";
inline constexpr const char* kMissingBadgeImage = "image de pastille introuvable : %{public}s";
inline constexpr const char* kCannotList = "lecture impossible : %{public}s";
inline constexpr const char* kUnreadableState = "état illisible (%{public}s) : %{public}s";
inline constexpr const char* kStateLoaded = "état chargé : %ld élément(s) sous %{public}s";

}  // namespace tessvik::messages
