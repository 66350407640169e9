// Small helpers every part of the program uses: the only access to the settings file, the shell
// launch of files and addresses, and (with the map) the angle helpers.
#pragma once

#include <cstddef>
#include <string>

class ShellOpener;

// The maker's home page, opened from the main window's logo and the settings dialog's About page.
inline constexpr const char* kHomePage = "https://veltrix.example/chronivo/";

// The value of key in section of the settings file fileName, or defaultValue when the key is absent;
// in either case at most bufferSize - 1 characters. An empty value reads as "", not as the default.
std::string ReadIniString(const std::string& fileName, const std::string& section, const std::string& key,
                          std::size_t bufferSize, const std::string& defaultValue = {});

// Stores value under key in section; true when the file now holds it. Never deletes a key.
bool WriteIniString(const std::string& fileName, const std::string& section, const std::string& key,
                    const std::string& value);

// Asks the desktop to carry out verb ("open") on file, an existing file or an address; true when
// the desktop took the request. Callers ignore failures: nothing is reported to the user.
bool ShellExecFile(ShellOpener& opener, const std::string& verb, const std::string& file,
                   const std::string& parameters = {}, const std::string& folder = {});

// Degrees to radians (× π/180) and back (× 180/π).
double DegToRad(double degrees);
double RadToDeg(double radians);

// The point at angular distance rho from a centre (lon0 west positive, lat0 north positive) along azimuth beta
// (0 = north, π/2 = east): its latitude lat and its west-positive longitude lon in -π .. π. All in radians.
void GreatCirclePoint(double rho, double beta, double lon0, double lat0, double& lat, double& lon);

// GreatCirclePoint for many azimuths around one centre at one distance, with what depends only on those worked
// out once; Point gives exactly what GreatCirclePoint gives for the same arguments.
class GreatCircle {
public:
    // rho, lon0, lat0 as for GreatCirclePoint, radians.
    GreatCircle(double rho, double lon0, double lat0);
    // The point at azimuth beta, radians.
    void Point(double beta, double& lat, double& lon) const;
    // The point's latitude and its longitude less the centre's, delta (before the wrap into -π .. π), with
    // cosBeta = std::cos(beta) given for azimuths that come back again and again: they do not depend on the
    // centre's longitude. Point's lon is WrappedLongitude(lon0, delta).
    void Offset(double beta, double cosBeta, double& lat, double& delta) const;
    // lon0 + delta, wrapped into -π .. π once in either direction.
    static double WrappedLongitude(double lon0, double delta);

private:
    bool m_folded = false;
    double m_lon0, m_sinLat0, m_cosLat0, m_cosRho, m_sinRho;
};
