#pragma once

// The control a page creates: its results between calls and the handlers of
// its methods. Strings are code page 950 bytes; the automation layer converts
// at the boundary (control/dispatch.h).

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrova {

namespace platform {
class HostingPageSource;
class UserInterface;
}  // namespace platform

enum class RefusalNotice;

inline constexpr std::size_t kReaderTableEntries = 16;
inline constexpr std::size_t kReaderNameBytes = 64;
inline constexpr std::size_t kAccountListEntries = 10;
inline constexpr std::size_t kWinscardInfoEntries = 3;
inline constexpr std::size_t kAllowedHostEntries = 2;

// Each name is zero-terminated within its entry, except one of exactly 64
// characters, which fills it.
using ReaderNameTable = std::array<std::array<char, kReaderNameBytes>, kReaderTableEntries>;
using AccountList = std::array<std::string, kAccountListEntries>;

class CKestrovaCtrl {
  public:
    // Touches no reader: the card service is bound by the first card method.
    CKestrovaCtrl() = default;

    // Closes the card service for the whole process: every control's
    // connections are forgotten and the service library is unloaded.
    ~CKestrovaCtrl();
    CKestrovaCtrl(const CKestrovaCtrl&) = delete;
    CKestrovaCtrl& operator=(const CKestrovaCtrl&) = delete;

    // Where the control sits: the page it serves (null: not sited, so the
    // guarded methods refuse) and where it shows message boxes (null: the
    // console). The host keeps both alive while the control lives.
    void SetClientSite(const platform::HostingPageSource* page,
                       platform::UserInterface* userInterface);

    // Clears the results of the connected card, keeping the reader list, the
    // slot, the last transaction's texts and the service information.
    void ResetResults();

    // The first step of every method that needs an allowed page (the method
    // table's PageAccess): false for an allowed page. For a refused one it
    // shows the warning box when asked, forgets the card (results and the
    // last transaction's texts cleared, CurrentSlot 0) and returns true; the
    // method then returns -1 without touching the card.
    bool RefusesHostingPage(RefusalNotice notice);

    // Reader methods.
    std::int32_t ListReaders();
    std::int32_t ConnectReader(const char* pReaderName);
    std::int32_t ConnectCard(const char* pReaderName);
    std::int32_t DisconnectReader(const char* pReaderName);
    std::int32_t ReConnectCard(const char* pReaderName, std::int32_t reset_flag);
    std::string GetReaderStatus(const char* pReaderName, std::int32_t AttribID);
    std::int32_t DisconnectCard(const char* pReaderName);
    std::int32_t CheckCardInsert(const char* pReaderName);
    std::int32_t ListWinscardInfo();

    // Accounts and card data, read from the card of CurrentSlot. The string
    // methods return empty on failure and leave the code in LastError.
    std::int32_t ListEF1001Accounts();
    std::string GetEF1001Account(std::int32_t AccountNo);
    std::int32_t ListEF1002Accounts();
    std::string GetEF1002Account(std::int32_t AccountNo);
    std::string GetIssuerBank();
    std::string GetICCRemark();
    std::string ReadCardSN();
    std::string ListEF1001AccountString();
    std::string ListEF1002AccountString();

    // PIN.
    std::int32_t VerifyPIN(const char* pReaderName, const char* pReaderSndList,
                           const char* pPwdStr);
    std::int32_t ChangePIN(const char* pReaderName, const char* pReaderSndList,
                           const char* pOldPwdStr, const char* pNewPwdStr,
                           const char* pCardSerialNo, std::int32_t VerifyValFlag);

    // Single card commands on CurrentSlot. FiscTransmit and FiscReadRecord
    // replace RespData, RespLength, LastError and LastResultCode.
    std::int32_t FiscTransmit(std::int32_t inLength, const char* inData);
    std::int32_t FiscSelectDF(const char* DF);
    std::int32_t FiscSelectEF(const char* EF);
    std::int32_t FiscSelectAID();
    std::int32_t FiscReadRecord(std::int32_t RecordNo);
    std::int32_t FiscWriteRecordWithSNUMTAC(const char* EFID, std::int32_t Len, const char* Data);

    // The transaction: the card writes the record and answers SNUM and TAC,
    // which reach the getters only once the user has confirmed. Ex2 opens the
    // named reader's card in a slot of its own, leaving CurrentSlot as it is.
    std::int32_t WriteRecordWithSNUMTACProc(const char* pReaderName, const char* pReaderName2ndList,
                                            const char* pEFID, std::int32_t DataLen,
                                            const char* pData, const char* pPassword,
                                            const char* pMsgStr);
    std::int32_t WriteRecordWithSNUMTACProcEx2(const char* pReaderName,
                                               const char* pReaderName2ndList, const char* pEFID,
                                               std::int32_t DataLen, const char* pData,
                                               const char* pPassword, const char* pMsgStr);

    // Getters.
    std::int32_t GetReaderNumber() const;
    std::string GetReaderName(std::int32_t Offset);
    std::string GetCardStatus() const;
    std::int32_t GetEF1001TotalAccounts() const;
    std::int32_t GetEF1002TotalAccounts() const;
    std::string GetRespSNUM() const;
    std::string GetRespTAC() const;
    std::string GetRespDateTime() const;
    std::string GetEncryptAcqData() const;
    std::string GetSha1AcqData() const;
    std::string GetSessionKeyHash() const;
    std::string GetRespData() const;
    std::int32_t GetRespLength() const;
    std::int32_t GetLastError() const;
    std::string GetWinscardProperty(std::int32_t ListNo) const;
    std::string GetTransactionIssuer() const;
    std::string GetTransactionRemark() const;
    std::string GetTransactionAccount() const;

    // Conversions and version; they set no field.
    std::string ConvertHexToInt(std::int32_t inLength, const char* pInval) const;
    std::string ConvertIntToHex(std::int32_t inLength, const char* pInval) const;
    std::string GetAPIVersion() const;

    // DES and MAC put their result in RespData; RespLength stays as it is.
    std::int32_t DES(std::int32_t Opflag, std::int32_t KeyLen, const char* KeyVal,
                     const char* inData);
    std::int32_t MAC(std::int32_t KeyLen, const char* KeyVal, const char* ICV, std::int32_t inLen,
                     const char* inData);

    // Fields: the control's results, read by the getters and written by the
    // lower layers through their addresses.
    std::int32_t CurrentSlot = 0;  // 0: no card opened
    std::int32_t ReaderCount = 0;
    ReaderNameTable ReaderNames{};
    std::string CardStatus;  // answer-to-reset, uppercase hex
    AccountList EF1001List;
    std::int32_t EF1001Count = 0;
    AccountList EF1002List;
    std::int32_t EF1002Count = 0;
    std::string RespData;  // uppercase hex
    std::int32_t RespLength = 0;
    std::int32_t LastError = 0;
    std::int32_t LastResultCode = 0;
    std::string RespSNUM;
    std::string RespTAC;
    std::string TransactionIssuer;
    std::string TransactionRemark;
    std::string TransactionAccount;
    std::array<std::string, kWinscardInfoEntries> WinscardInfo;   // version, company, description
    std::array<const char*, kAllowedHostEntries> AllowedHosts{};  // set by the hosting-page check

  private:
    std::int32_t OpenCardInFirstSlot(const char* pReaderName);
    platform::UserInterface& MessageBoxes();

    const platform::HostingPageSource* hostingPage_ = nullptr;
    platform::UserInterface* userInterface_ = nullptr;
};

}  // namespace kestrova
