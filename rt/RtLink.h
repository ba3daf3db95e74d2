#pragma once
#include <cstdint>
#include <thread>

#include "rt/RtConfig.h"
#include "rt/RtHost.h"
#include "rt/TrafficHooks.h"
#include "rt/TrafficReader.h"
#include "rt/WeatherReader.h"

namespace vorl {

// The RealTraffic link of one program run: both reader objects and their threads. Session
// set-up calls resetReaders, Authenticater and startReaders; closing down calls stopReaders,
// joinReaders and deauthenticate.
class RtLink {
public:
    RtLink(RtConfig config, RtHost host, TrafficHooks hooks);
    ~RtLink();
    RtLink(const RtLink&) = delete;
    RtLink& operator=(const RtLink&) = delete;

    // Before a new session: fresh handles and start values in both readers.
    void resetReaders();
    // The login step; throws UserErrorException for a refused key (402, 404) or a second
    // session (405), std::runtime_error for 500; other failures request a reader-error restart.
    void Authenticater();
    // Starts the "Traffic Reader" and "Weather Reader" threads. Session set-up starts the weather
    // reader first and waits for its first weather, so the traffic gets the right QNH at once.
    void startReaders();
    void startWeatherReader();
    void startTrafficReader();
    // Asks both readers to stop and wakes them.
    void stopReaders();
    bool readersEnded() const;
    void joinReaders();
    void deauthenticate() { weather_.deauthenticate(); }

    // Every few seconds from the run loop: the user position (and altitude) for both readers,
    // then the live box for the radius in force.
    void setUserPosition(LatLon position, double altitudeFeet);
    void updateTrafficBox(double radiusNm) { traffic_.updateTrafficBox(radiusNm); }

    TrafficReader& traffic() { return traffic_; }
    WeatherReader& weather() { return weather_; }

private:
    void runReader(RtConnection& self, RtConnection& other, const char* name, const char* kind,
                   std::int32_t (*body)(RtLink&));
    void readerEnded(RtConnection& other, const char* name, const char* kind, std::int32_t result);

    RtConfig config_;
    RtHost host_;
    TrafficReader traffic_;
    WeatherReader weather_;
    std::thread trafficThread_;
    std::thread weatherThread_;
};

} // namespace vorl
