// Stand-in for the terminal control "VXTerm.ctlVXTerm" (test support, never shipped): an
// in-process COM server, vxterm_standin.dll in the testing folder, that registers itself under
// that ProgID (regsvr32) and simulates a terminal that each test sets up in a folder.
//
// The folder (a Windows path) is named by the environment variable VXTERM_STANDIN_DIR or, when
// that is unset, by the value "Folder" of HKCU\Software\KitTests\VXTermStandin. It holds:
//   file1.txt, file2.txt, ...  the terminal's files: RiceviFile(path, n) copies file<n>.txt to
//                              path byte for byte; without file<n>.txt it writes nothing and
//                              succeeds (a terminal with nothing to give).
//   sent.txt                   InviaFile(path) copies the named file here (replacing it); a
//                              missing file sends nothing and succeeds.
//   script.txt (optional)      read when each control is created; lines "key=value", "#" starts
//                              a comment:
//                                InErrore=1           InErrore answers True (default False)
//                                IOleObject=1         the control also offers IOleObject
//                                fail=<Member> <number> <description>
//                                    the member raises DISP_E_EXCEPTION, EXCEPINFO.wCode=number
//                                fail-scode=<Member> <hex HRESULT> <description>
//                                    the same with wCode 0 and scode=HRESULT
//   calls.log                  appended to (UTF-8, CR LF), one line per event:
//                                create IDispatch | create IDispatch+IOleObject
//                                SetClientSite window "<caption>" hidden|visible
//                                SetClientSite no-window | SetClientSite none
//                                Close
//                                InErrore get
//                                RiceviFile method VT_BSTR "C:\x.tmp" VT_I2|VT_BYREF 1
//                                InviaFile method VT_BSTR|VT_BYREF "C:\_Letture\file_up.tmp"
//                                Chiudi method
//                                release [window alive|window gone]
//                              Flags are get, put, method or method|get as passed to Invoke;
//                              arguments in their natural order with their VARTYPE names. A failed
//                              member's line ends with " -> error <number>".
// Without a folder the control answers InErrore True, logs nothing and transfers nothing.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vxterm {

struct ScriptedFailure {
    std::wstring member;
    bool fromScode = false;
    long number = 0;  // wCode, or the scode when fromScode
    std::wstring description;
};

class SimulatedTerminal {
  public:
    // Finds the folder and reads its script.
    SimulatedTerminal();

    bool Configured() const { return !folder_.empty(); }
    bool InErrore() const { return inErrore_ || !Configured(); }
    bool OffersOleObject() const { return oleObject_; }
    // The scripted failure of a member, or null.
    const ScriptedFailure* FailureOf(const std::wstring& member) const;

    // file<number>.txt -> destination; false (with GetLastError) when the copy failed.
    bool Receive(int number, const std::wstring& destination) const;
    // source -> sent.txt; false (with GetLastError) when the copy failed.
    bool Send(const std::wstring& source) const;

    void Log(const std::wstring& line) const;

  private:
    std::wstring folder_;
    bool inErrore_ = false;
    bool oleObject_ = false;
    std::vector<ScriptedFailure> failures_;
};

}  // namespace vxterm
