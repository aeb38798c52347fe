#include "tools/make_defines/header_rules.h"

#include <initializer_list>
#include <string>

namespace quillon::make_defines {
namespace {

// Headers that declare nothing but typed codes among their numbers worth taking: only their
// HRESULT- and NTSTATUS-typed values are read (plain numbers there are flags and sizes).
void AddTypedOnly(std::vector<HeaderRule>& rules, std::initializer_list<const char*> files) {
  for (const char* file : files) rules.push_back({file, std::nullopt, {}, {}});
}

// Plain error numbers of the families beyond the system's own, which hand them out as last
// errors: WinHTTP (12001 and up), Remote Access (600 and up), routing (900 and up), IP
// Helper's ICMP statuses (11000 and up) and Setup API (0xE0000000 and up, so HRESULT).
void AddPlainFamilies(std::vector<HeaderRule>& rules) {
  rules.push_back({"winhttp.h", ErrorType::Win32, {"ERROR_WINHTTP_"}, {}});
  rules.push_back({"raserror.h", ErrorType::Win32, {"ERROR_", "PENDING", "WARNING_"}, {}});
  rules.push_back({"mprerror.h", ErrorType::Win32, {"ERROR_", "WARNING_"}, {}});
  rules.push_back({"ipexport.h", ErrorType::Win32, {"IP_"}, {"IP_OPT_", "IP_FLAG_", "IP_EXPORT_"}});
  rules.push_back({"setupapi.h", ErrorType::Win32, {"ERROR_"}, {}});
}

// Exception codes (NTSTATUS values under their exception names); the wait results and
// STILL_ACTIVE these headers also type as NTSTATUS are not errors.
// A header read only for the names that codes of other headers are made of.
HeaderRule SymbolsOnly(const char* file) {
  return {file, std::nullopt, {}, {""}};
}

std::vector<std::string> ExceptionNames() {
  return {"EXCEPTION_", "CONTROL_C_EXIT"};
}

}  // namespace

std::vector<HeaderRule> CoreSdkHeaderRules() {
  return {
      // System error numbers (ERROR_*, WSA*, DNS_*, ...) and the HRESULTs of the system.
      {"winerror.h", ErrorType::Win32, {}, {}},
      // Only the ERROR_* numbers 12000 and up are codes; the rest are options and flags.
      {"wininet.h", ErrorType::Win32, {"ERROR_"}, {}},
      // Network management errors NERR_* (2100 and up).
      {"lmerr.h", ErrorType::Win32, {}, {}},
      {"ntstatus.h", std::nullopt, {}, {}},
      // Bug-check codes, cast to ULONG.
      {"bugcodes.h", ErrorType::Stop, {}, {}},
      // HRESULTs of Windows Update, the shadow copy service, URL monikers and ADSI, all
      // commonly met by administrators. These headers declare much else, so only names of
      // their code families are taken.
      {"wuerror.h", std::nullopt, {"WU_E_", "WU_S_"}, {}},
      {"vsserror.h", std::nullopt, {"VSS_E_", "VSS_S_"}, {}},
      {"urlmon.h", std::nullopt, {"INET_E_", "MK_S_", "MK_E_", "S_ASYNCHRONOUS"}, {}},
      {"adserr.h", std::nullopt, {"E_ADS_", "S_ADS_"}, {}},
  };
}

std::vector<HeaderRule> SdkHeaderRules() {
  std::vector<HeaderRule> rules = CoreSdkHeaderRules();
  AddPlainFamilies(rules);
  rules.push_back({"minwinbase.h", std::nullopt, ExceptionNames(), {}});
  rules.push_back({"winbase.h", std::nullopt, ExceptionNames(), {}});
  // HID parser and TDI transport statuses.
  AddTypedOnly(rules, {"hidpi.h", "ddk/tdistat.h"});
  // DirectX and audio: DirectDraw, Direct3D 3 to 9 and retained mode, DirectX files,
  // DirectInput, DirectSound, DirectMusic, DirectPlay, DxDiag, DXVA 2, Direct2D,
  // XAudio2, WASAPI and spatial audio, device topology and enumeration. (Direct3D 10 and
  // 11, DXGI, DirectWrite and WIC are in winerror.h.)
  AddTypedOnly(rules, {"ddraw.h",          "d3d.h",        "d3d8.h",        "d3d9.h",
                       "d3drm.h",          "dxfile.h",     "d3dx9xof.h",    "dinput.h",
                       "dinputd.h",        "dsound.h",     "dmerror.h",     "dplay.h",
                       "dplay8.h",         "dpnathlp.h",   "dxdiag.h",      "dxva2api.h",
                       "d2derr.h",         "xaudio2.h",    "audioclient.h", "spatialaudioclient.h",
                       "devicetopology.h", "mmdeviceapi.h"});
  // Media Foundation, real-time work queues, Windows Media, DirectShow, Video for Windows,
  // multimedia streams.
  AddTypedOnly(rules, {"mferror.h", "mfapi.h", "rtworkq.h", "nserror.h", "vfwmsgs.h", "vfw.h",
                       "mmstream.h"});
  // OLE, OLE controls and documents, hyperlinks, call frames, text services, Uniscribe,
  // safe integer and string routines, authorization roles.
  AddTypedOnly(rules, {"olectl.h", "ole2.h", "docobj.h", "hlink.h", "callobj.h", "textstor.h",
                       "msctf.h", "textserv.h", "usp10.h", "intsafe.h", "strsafe.h", "azroles.h"});
  // The shell: its errors, preview handlers, thumbnails, Internet shortcuts, subscriptions,
  // synchronisation, reconciliation, content ratings, the DHTML editor.
  AddTypedOnly(rules, {"sherrors.h", "shobjidl.h", "thumbcache.h", "intshcut.h", "subsmgr.h",
                       "mobsync.h", "reconcil.h", "ratings.h", "dhtmled.h"});
  // Data access: OLE DB and SQL Server's provider, DAO, Indexing Service, filters.
  AddTypedOnly(
      rules, {"oledberr.h", "msoledbsql.h", "dbdaoerr.h", "daogetrw.h", "cierror.h", "filterr.h"});
  // Messaging and communication: MAPI, Message Queuing, TAPI 3, RTC, peer-to-peer, network
  // configuration and connections, remote desktop virtual channels.
  AddTypedOnly(rules, {"mapicode.h", "mq.h", "tapi3err.h", "rtcerr.h", "p2p.h", "netcfgx.h",
                       "netcon.h", "tsvirtualchannels.h"});
  // The .NET runtime, directory backup, file server resources, filter manager, Microsoft
  // Agent, still images and WIA, protected storage, speech, the debugger engine.
  AddTypedOnly(rules, {"corerror.h", "ntdsbmsg.h", "fsrmerr.h", "fltwinerror.h", "agterr.h",
                       "stierr.h", "wiadef.h", "pstore.h", "sperror.h", "dbgeng.h"});
  // Setup API's codes are made of APPLICATION_ERROR_MASK and ERROR_SEVERITY_ERROR.
  rules.push_back(SymbolsOnly("winnt.h"));
  return rules;
}

std::vector<HeaderRule> WineHeaderRules() {
  std::vector<HeaderRule> rules = {
      {"winerror.h", ErrorType::Win32, {}, {}},
      {"wininet.h", ErrorType::Win32, {"ERROR_"}, {}},
      {"lmerr.h", ErrorType::Win32, {}, {}},
      {"ntstatus.h", std::nullopt, {}, {}},
      // Wine has no bugcodes.h, wuerror.h or vsserror.h.
      {"urlmon.h", std::nullopt, {"INET_E_", "MK_S_", "MK_E_", "S_ASYNCHRONOUS"}, {}},
      {"adserr.h", std::nullopt, {"E_ADS_", "S_ADS_"}, {}},
  };
  AddPlainFamilies(rules);
  rules.push_back({"winbase.h", std::nullopt, ExceptionNames(), {}});
  AddTypedOnly(rules, {"ddk/hidpi.h"});
  AddTypedOnly(rules, {"ddraw.h",
                       "d3d.h",
                       "d3d8.h",
                       "d3d9.h",
                       "d3d10.h",
                       "d3drm.h",
                       "dxfile.h",
                       "d3dx9xof.h",
                       "dinput.h",
                       "dinputd.h",
                       "dsound.h",
                       "dmerror.h",
                       "dplay.h",
                       "dplay8.h",
                       "dpnathlp.h",
                       "dvoice.h",
                       "dxdiag.h",
                       "dxva2api.h",
                       "d2derr.h",
                       "xaudio2.h",
                       "xact.h",
                       "audioclient.h",
                       "spatialaudioclient.h",
                       "devicetopology.h",
                       "mmdeviceapi.h"});
  AddTypedOnly(rules, {"mferror.h", "mfapi.h", "rtworkq.h", "nserror.h", "asferr.h", "vfwmsgs.h",
                       "vfw.h", "mmstream.h"});
  AddTypedOnly(rules, {"olectl.h", "ole2.h", "docobj.h", "textstor.h", "msctf.h", "usp10.h",
                       "strsafe.h", "advpub.h"});
  AddTypedOnly(rules, {"thumbcache.h", "intshcut.h"});
  // Wine's MAPI, Internet mail transport and identities, packaging (OPC), network
  // configuration, the .NET runtime, WIA.
  AddTypedOnly(rules, {"mapicode.h", "imnxport.h", "msident.h", "msopc.h", "netcfgx.h",
                       "corerror.h", "wiadef.h"});
  rules.push_back(SymbolsOnly("winnt.h"));
  return rules;
}

}  // namespace quillon::make_defines
