#include "ui/web/movie_bridge.h"

namespace mapvale::ui {

void CMovieBridge::fsCommand(const QString& command, const QString& arguments) {
    emit FSCommand(command, arguments);
}

}  // namespace mapvale::ui
