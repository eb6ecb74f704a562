// The page's certificate for HTTPS: the user's own files, or a self-signed
// certificate and key made once, at the first start that needs them
// (OpenSSL's library; the key file readable by its owner only).
#pragma once

#include <string>

struct CertificatePem {
    std::string sCert;
    std::string sKey;
};

// Reads the certificate and key at the given paths; when both are missing,
// makes a self-signed pair there first (for sHostName). False with the
// reason in *pError when they cannot be read or made.
bool LoadOrMakeCertificate(const std::string& sCertPath, const std::string& sKeyPath,
                           const std::string& sHostName, CertificatePem* pPem,
                           std::string* pError);
