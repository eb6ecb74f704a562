#include "web/Certificate.h"

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr long kValidSeconds = 10L * 365 * 24 * 60 * 60;
constexpr size_t kMaxPemFile = 1 << 20;

bool Exists(const std::string& sPath) {
    struct stat st {};
    return stat(sPath.c_str(), &st) == 0;
}

bool ReadPem(const std::string& sPath, std::string* pText, std::string* pError) {
    std::ifstream in(sPath, std::ios::binary);
    std::ostringstream text;
    if (in)
        text << in.rdbuf();
    if (!in || text.str().empty() || text.str().size() > kMaxPemFile) {
        *pError = "cannot read " + sPath + (errno ? std::string(": ") + std::strerror(errno) : "");
        return false;
    }
    *pText = text.str();
    return true;
}

// Writes text to a new file with the given mode.
bool WriteNew(const std::string& sPath, const std::string& text, mode_t mode, std::string* pError) {
    const int fd = open(sPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    bool ok = fd >= 0;
    for (size_t done = 0; ok && done < text.size();) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        ok = n > 0;
        done += ok ? static_cast<size_t>(n) : 0;
    }
    if (!ok)
        *pError = "cannot write " + sPath + ": " + std::strerror(errno);
    if (fd >= 0 && close(fd) != 0 && ok) {
        *pError = "cannot write " + sPath + ": " + std::strerror(errno);
        ok = false;
    }
    if (!ok && fd >= 0)
        unlink(sPath.c_str());
    return ok;
}

std::string BioText(BIO* bio) {
    char* data = nullptr;
    const long n = BIO_get_mem_data(bio, &data);
    return std::string(data, n > 0 ? static_cast<size_t>(n) : 0);
}

bool MakePair(const std::string& sHostName, CertificatePem* pPem, std::string* pError) {
    std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(EVP_EC_gen("P-256"), &EVP_PKEY_free);
    std::unique_ptr<X509, decltype(&X509_free)> cert(X509_new(), &X509_free);
    std::unique_ptr<BIO, decltype(&BIO_free)> certBio(BIO_new(BIO_s_mem()), &BIO_free);
    std::unique_ptr<BIO, decltype(&BIO_free)> keyBio(BIO_new(BIO_s_mem()), &BIO_free);
    bool ok = key && cert && certBio && keyBio;
    if (ok) {
        X509_set_version(cert.get(), 2);
        uint64_t serial = 0;
        ok = RAND_bytes(reinterpret_cast<unsigned char*>(&serial), sizeof serial) == 1;
        ASN1_INTEGER_set_int64(X509_get_serialNumber(cert.get()),
                               static_cast<int64_t>(serial >> 1));
        X509_gmtime_adj(X509_getm_notBefore(cert.get()), -60);
        X509_gmtime_adj(X509_getm_notAfter(cert.get()), kValidSeconds);
        X509_set_pubkey(cert.get(), key.get());
        X509_NAME* name = X509_get_subject_name(cert.get());
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_UTF8,
                                   reinterpret_cast<const unsigned char*>(sHostName.c_str()), -1,
                                   -1, 0);
        X509_set_issuer_name(cert.get(), name);
        ok = ok && X509_sign(cert.get(), key.get(), EVP_sha256()) > 0 &&
             PEM_write_bio_X509(certBio.get(), cert.get()) == 1 &&
             PEM_write_bio_PrivateKey(keyBio.get(), key.get(), nullptr, nullptr, 0, nullptr,
                                      nullptr) == 1;
    }
    if (!ok) {
        *pError = "cannot make a certificate with OpenSSL";
        return false;
    }
    pPem->sCert = BioText(certBio.get());
    pPem->sKey = BioText(keyBio.get());
    return true;
}

} // namespace

bool LoadOrMakeCertificate(const std::string& sCertPath, const std::string& sKeyPath,
                           const std::string& sHostName, CertificatePem* pPem,
                           std::string* pError) {
    std::string error;
    if (!Exists(sCertPath) && !Exists(sKeyPath)) {
        CertificatePem made;
        if (!MakePair(sHostName, &made, &error) ||
            !WriteNew(sKeyPath, made.sKey, 0600, &error) ||
            !WriteNew(sCertPath, made.sCert, 0644, &error)) {
            if (pError)
                *pError = error;
            return false;
        }
    }
    errno = 0;
    const bool ok = ReadPem(sCertPath, &pPem->sCert, &error) && ReadPem(sKeyPath, &pPem->sKey, &error);
    if (!ok && pError)
        *pError = error;
    return ok;
}
