#include <openssl/evp.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

#include "local_server.h"
#include "socket_util.h"

namespace webtest {

struct TlsServer::Tls {
    std::unique_ptr<SSL_CTX, decltype(&SSL_CTX_free)> ctx{SSL_CTX_new(TLS_server_method()), SSL_CTX_free};

    // A fresh key and a certificate for 127.0.0.1 that signs itself: valid in every way but trust.
    Tls()
    {
        std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)> key(EVP_EC_gen("P-256"), EVP_PKEY_free);
        std::unique_ptr<X509, decltype(&X509_free)> cert(X509_new(), X509_free);
        if (!ctx || !key || !cert)
            throw std::runtime_error("no TLS context");
        X509_set_version(cert.get(), 2);
        ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), 1);
        X509_gmtime_adj(X509_getm_notBefore(cert.get()), -60);
        X509_gmtime_adj(X509_getm_notAfter(cert.get()), 3600);
        X509_set_pubkey(cert.get(), key.get());
        X509_NAME* name = X509_get_subject_name(cert.get());
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"), -1, -1, 0);
        X509_set_issuer_name(cert.get(), name);
        X509V3_CTX v3;
        X509V3_set_ctx_nodb(&v3);
        X509V3_set_ctx(&v3, cert.get(), cert.get(), nullptr, nullptr, 0);
        if (X509_EXTENSION* san = X509V3_EXT_conf_nid(nullptr, &v3, NID_subject_alt_name, "IP:127.0.0.1")) {
            X509_add_ext(cert.get(), san, -1);
            X509_EXTENSION_free(san);
        }
        if (!X509_sign(cert.get(), key.get(), EVP_sha256()) || SSL_CTX_use_certificate(ctx.get(), cert.get()) != 1 ||
            SSL_CTX_use_PrivateKey(ctx.get(), key.get()) != 1)
            throw std::runtime_error("no certificate");
    }
};

TlsServer::TlsServer(const std::string& body)
    : tls_(std::make_unique<Tls>()), body_(body), listener_(listen_loopback(port_)), thread_([this] { serve(); })
{
}

TlsServer::~TlsServer()
{
    shutdown(listener_, SHUT_RDWR);
    thread_.join();
    close(listener_);
}

std::string TlsServer::url(const std::string& target) const
{
    return "https://127.0.0.1:" + std::to_string(port_) + target;
}

void TlsServer::serve()
{
    for (;;) {
        int fd = accept(listener_, nullptr, nullptr);
        if (fd < 0)
            return;
        limit_wait(fd);
        unsigned char first = 0;
        if (recv(fd, &first, 1, MSG_PEEK) == 1 && first == 0x16) // a TLS handshake record
            ++hellos_;
        std::unique_ptr<SSL, decltype(&SSL_free)> ssl(SSL_new(tls_->ctx.get()), SSL_free);
        SSL_set_fd(ssl.get(), fd);
        if (SSL_accept(ssl.get()) == 1) {
            ++completed_;
            std::string head;
            char buf[4096];
            int n;
            while (head.find("\r\n\r\n") == std::string::npos && (n = SSL_read(ssl.get(), buf, sizeof buf)) > 0)
                head.append(buf, static_cast<size_t>(n));
            std::string reply = ok(body_).bytes;
            SSL_write(ssl.get(), reply.data(), static_cast<int>(reply.size()));
            SSL_shutdown(ssl.get());
        }
        ssl.reset();
        close(fd);
    }
}

} // namespace webtest
