#pragma once
// The zone page: one picture per zone, the first entry tagged with it. The review fills it when a
// zone is tagged and when the page is rebuilt. Called directly rather than through a signal,
// because a picture that cannot be decoded ends the tagging key or the rebuild that asked for it
// (ProgramError).
#include <QString>

class ZonePage {
public:
    virtual ~ZonePage() = default;
    virtual void ClearPage() = 0;
    virtual void AssignZoneImage(int zone, const QString& path) = 0;
};
