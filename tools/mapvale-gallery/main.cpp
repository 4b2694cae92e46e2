// mapvale-gallery <folder> [set ...]: draws the pictures of each set ("skin": the skin's
// controls, boxes and windows; "shell": the updater's own boxes and screens; "web": the movies,
// web panels and a page's alert; "signin": the sign-in, self-update and agreement dialogs;
// "wizard": the easy-install wizard's pages and questions; "tray": the tray agent's icon in a
// tray host, its menu, popups and notice window; "main": the install page's content list, the
// settings dialog and their boxes; "extras": the photo dialog and the photo service's boxes;
// "themes": the map page's theme chooser and the theme download's messages, into
// <folder>/extras/ as well) into
// <folder>/<set>/; every set when none is named.
#include <QApplication>
#include <QDir>
#include <cstdio>

#include "extras_gallery.h"
#include "main_gallery.h"
#include "shell_gallery.h"
#include "signin_gallery.h"
#include "skin_gallery.h"
#include "themes_gallery.h"
#include "tray_gallery.h"
#include "ui/skin/skin_fonts.h"
#include "ui/web/web_engine_setup.h"
#include "web_gallery.h"
#include "wizard_gallery.h"

int main(int argc, char** argv) {
    mapvale::ui::PrepareWebEngine();
    mapvale::ui::UseOffTheRecordProfile();
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: mapvale-gallery <output folder> [skin] [shell] [web] [signin] "
                     "[wizard] [tray] [main] [extras] [themes]\n");
        return 2;
    }
    QStringList sets;
    for (int i = 2; i < argc; ++i) {
        sets.append(QString::fromLocal8Bit(argv[i]));
    }
    if (sets.isEmpty()) {
        sets = {QStringLiteral("skin"),   QStringLiteral("shell"),  QStringLiteral("web"),
                QStringLiteral("signin"), QStringLiteral("wizard"), QStringLiteral("tray"),
                QStringLiteral("main"),   QStringLiteral("extras"), QStringLiteral("themes")};
    }
    mapvale::ui::InstallSkinFonts();
    const QString root = QString::fromLocal8Bit(argv[1]);
    int expected = 0;
    QStringList written;
    if (sets.contains(QStringLiteral("skin"))) {
        written += mapvale::gallery::WriteSkinGallery(QDir(root).filePath("skin"));
        expected += mapvale::gallery::SkinGalleryPictureCount();
    }
    if (sets.contains(QStringLiteral("shell"))) {
        written += mapvale::gallery::WriteShellGallery(QDir(root).filePath("shell"));
        expected += mapvale::gallery::ShellGalleryPictureCount();
    }
    if (sets.contains(QStringLiteral("web"))) {
        // The movies are those of the program folder beside this program.
        written += mapvale::gallery::WriteWebGallery(QDir(root).filePath("web"),
                                                     QCoreApplication::applicationDirPath());
        expected += mapvale::gallery::WebGalleryPictureCount();
    }
    if (sets.contains(QStringLiteral("signin"))) {
        written += mapvale::gallery::WriteSignInGallery(QDir(root).filePath("signin"));
        expected += mapvale::gallery::SignInGalleryPictureCount();
    }
    if (sets.contains(QStringLiteral("wizard"))) {
        written += mapvale::gallery::WriteWizardGallery(QDir(root).filePath("wizard"),
                                                        QCoreApplication::applicationDirPath());
        expected += mapvale::gallery::WizardGalleryPictureCount();
    }
    if (sets.contains(QStringLiteral("tray"))) {
        written += mapvale::gallery::WriteTrayGallery(QDir(root).filePath("tray"));
        expected += mapvale::gallery::TrayGalleryPictureCount();
    }
    if (sets.contains(QStringLiteral("main"))) {
        written += mapvale::gallery::WriteMainGallery(QDir(root).filePath("main"));
        expected += mapvale::gallery::MainGalleryPictureCount();
    }
    if (sets.contains(QStringLiteral("extras"))) {
        written += mapvale::gallery::WriteExtrasGallery(QDir(root).filePath("extras"));
        expected += mapvale::gallery::ExtrasGalleryPictureCount();
    }
    if (sets.contains(QStringLiteral("themes"))) {
        written += mapvale::gallery::WriteThemesGallery(QDir(root).filePath("extras"));
        expected += mapvale::gallery::ThemesGalleryPictureCount();
    }
    for (const QString& file : written) {
        std::printf("%s\n", qPrintable(file));
    }
    return written.size() == expected ? 0 : 1;
}
