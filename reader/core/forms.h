// The hidden terminal forms as the component's methods use them: set the variables, load the
// form (its load handler does the whole transfer), unload it.
#pragma once

#include <cstdint>
#include <string>

namespace reader {

class ScaricaVXForm {  // one instance per loaded component
  public:
    virtual ~ScaricaVXForm() = default;
    std::int16_t NumeroFile = 0;  // kept between loads; setting them runs nothing
    std::wstring NomeFile;        // (reduced build Murello113 uses NumeroFile only and
    std::wstring NomeCartella;    //  always receives into "C:\TEMPFOX.TMP")
    virtual void Load() = 0;      // the load handler does the whole transfer. Full build:
                                  // errors shown in the box inside, nothing thrown.
                                  // Murello113: errors thrown as RaisedError.
    virtual void Unload() = 0;
};

class CaricaVXForm {
  public:
    virtual ~CaricaVXForm() = default;
    virtual void Load() = 0;
    virtual void Unload() = 0;
};

}  // namespace reader
