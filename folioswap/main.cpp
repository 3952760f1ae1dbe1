// folioswap: copies one campaign set at a time from this program's folder
// into the game folder, its parent. Start it with its folder as the current
// directory.
#include "folioswap/folioform.h"

#include <QApplication>
#include <filesystem>
#include <system_error>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    folio::FolioForm form;
    std::error_code ec;
    std::filesystem::path here = std::filesystem::current_path(ec);
    if (!form.start(here))
        return 1;
    form.show();
    form.centreOnScreen();
    return app.exec();
}
