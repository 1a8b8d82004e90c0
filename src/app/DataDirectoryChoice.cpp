#include "app/DataDirectoryChoice.h"

#include <cstdlib>
#include <system_error>

namespace vardel {

namespace {

std::string Variable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

DataDirectoryPlaces DataDirectoryPlaces::FromEnvironment(const std::filesystem::path& option)
{
    DataDirectoryPlaces places;
    places.option = option;
    places.current = ".";
    places.userData = UserDataDirectory(Variable("APPDATA"), Variable("XDG_DATA_HOME"), Variable("HOME"));
    return places;
}

std::filesystem::path ChooseDataDirectory(const DataDirectoryPlaces& places)
{
    if (!places.option.empty())
        return places.option;
    std::error_code ec;
    if (std::filesystem::is_directory(places.current / kSetupDbName, ec) || places.userData.empty())
        return places.current;
    return places.userData;
}

std::filesystem::path UserDataDirectory(const std::string& appData, const std::string& xdgDataHome,
                                        const std::string& home)
{
    std::filesystem::path base;
#ifdef _WIN32
    (void)xdgDataHome;
    (void)home;
    base = appData;
#else
    (void)appData;
    if (!xdgDataHome.empty() && std::filesystem::path(xdgDataHome).is_absolute())
        base = xdgDataHome;
    else if (!home.empty())
        base = std::filesystem::path(home) / ".local" / "share";
#endif
    if (base.empty())
        return {};
    return base / kOrganisationName / kApplicationName;
}

}  // namespace vardel
