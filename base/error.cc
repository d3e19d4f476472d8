#include "base/error.h"

#include <cerrno>
#include <string>

namespace tessvik {
namespace {

// French wording for the errno values a listing, an attribute query, a
// read or the kit's write and rename can meet. Anything else falls back to
// the number.
std::string frenchReason(int err) {
  switch (err) {
    case ENOENT:
      return "aucun fichier ou dossier de ce nom";
    case EACCES:
      return "permission refusée";
    case EPERM:
      return "opération non permise";
    case ENOTDIR:
      return "ce n'est pas un dossier";
    case EISDIR:
      return "c'est un dossier";
    case ELOOP:
      return "trop de niveaux de liens symboliques";
    case ENAMETOOLONG:
      return "nom de fichier trop long";
    case EIO:
      return "erreur d'entrée/sortie";
    case ENOMEM:
      return "mémoire insuffisante";
    case EMFILE:
    case ENFILE:
      return "trop de fichiers ouverts";
    case EFBIG:
      return "fichier trop volumineux";
    case EINVAL:
      return "argument invalide";
    case ENXIO:
      return "périphérique ou adresse inexistant";
    case EAGAIN:
      return "ressource temporairement indisponible";
    case ENOSPC:
      return "plus d'espace disponible sur le périphérique";
    case EDQUOT:
      return "quota d'espace disque dépassé";
    case EROFS:
      return "système de fichiers en lecture seule";
    case EEXIST:
      return "le fichier existe déjà";
    case EXDEV:
      return "lien entre périphériques différents";
    case EBUSY:
      return "périphérique ou ressource occupé";
    case kNotRegularFile:
      return "ce n'est pas un fichier ordinaire";
    default:
      return "erreur système " + std::to_string(err);
  }
}

}  // namespace

Error errorFromErrno(int err, std::string_view operation, std::string_view path) {
  return Error{err, std::string(operation), std::string(path),
               "« " + std::string(path) + " » : " + frenchReason(err)};
}

Error inputError(std::string description) {
  return Error{0, "", "", std::move(description)};
}

std::string Error::printed() const {
  if (operation.empty()) return "InputError(\"" + description + "\")";
  return "Error(code: " + std::to_string(code) + ", operation: " + operation + ", path: \"" + path +
         "\")";
}

}  // namespace tessvik
