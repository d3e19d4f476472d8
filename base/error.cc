#include "base/error.h"

#include <cerrno>
#include <string>

namespace tessvik {
namespace {

// French wording for the errno values a listing, an attribute query or a
// read can meet. Anything else falls back to the number.
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
    case kNotRegularFile:
      return "ce n'est pas un fichier ordinaire";
    default:
      return "erreur système " + std::to_string(err);
  }
}

}  // namespace

Error errorFromErrno(int err, std::string_view operation, std::string_view path) {
  Error e;
  e.code = err;
  e.description = "« " + std::string(path) + " » : " + frenchReason(err);
  e.printed = "Error(code: " + std::to_string(err) + ", operation: " + std::string(operation) +
              ", path: \"" + std::string(path) + "\")";
  return e;
}

Error decodingError(std::string description) {
  Error e;
  e.code = 0;
  e.printed = "DecodingError(\"" + description + "\")";
  e.description = std::move(description);
  return e;
}

}  // namespace tessvik
