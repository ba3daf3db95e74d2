#include "sim/SimHooks.h"

#include "common/RequiredLink.h"

namespace vorl {

void gf_requireComplete(const SimHooks& h) {
    constexpr std::string_view owner = "simulator link";
    gf_requireLink(h.requestStop, owner, "requestStop");
    gf_requireLink(h.stopPending, owner, "stopPending");
    gf_requireLink(h.setStatus, owner, "setStatus");
    gf_requireLink(h.setError, owner, "setError");
    gf_requireLink(h.settingIsMsfs2020, owner, "settingIsMsfs2020");
    gf_requireLink(h.switchSimulatorSetting, owner, "switchSimulatorSetting");
    gf_requireLink(h.simTimeInUse, owner, "simTimeInUse");
    gf_requireLink(h.rangeMeters, owner, "rangeMeters");
    gf_requireLink(h.showSimRunning, owner, "showSimRunning");
    gf_requireLink(h.showConnected, owner, "showConnected");
    gf_requireLink(h.showSimulator, owner, "showSimulator");
    gf_requireLink(h.showUserTitle, owner, "showUserTitle");
    gf_requireLink(h.showUserStand, owner, "showUserStand");
    gf_requireLink(h.showWingspanKnown, owner, "showWingspanKnown");
    gf_requireLink(h.repaint, owner, "repaint");
    gf_requireLink(h.onConnected, owner, "onConnected");
    gf_requireLink(h.parkAirportHasStands, owner, "parkAirportHasStands");
    gf_requireLink(h.nearestStandName, owner, "nearestStandName");
    gf_requireLink(h.reserveUserStand, owner, "reserveUserStand");
    gf_requireLink(h.halfWingspanNm, owner, "halfWingspanNm");
    gf_requireLink(h.largestHalfWingspanNm, owner, "largestHalfWingspanNm");
    gf_requireLink(h.categoryOf, owner, "categoryOf");
}

} // namespace vorl
