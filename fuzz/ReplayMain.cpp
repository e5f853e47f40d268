// Runs a fuzz target without libFuzzer, as an ordinary test: every file of its corpus, then a
// fixed series of mutations of them, so CI exercises the same entry point the fuzzer drives.
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR [MUTATIONS]\n", argv[0]);
        return 2;
    }
    const int mutations = argc > 2 ? std::atoi(argv[2]) : 3000;
    std::vector<QByteArray> corpus;
    for (const QFileInfo& info : QDir(argv[1]).entryInfoList(QDir::Files)) {
        QFile file(info.filePath());
        if (file.open(QIODevice::ReadOnly))
            corpus.push_back(file.readAll());
    }
    if (corpus.empty())
        corpus.push_back(QByteArray());
    auto run = [](const QByteArray& input) {
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.constData()),
                               static_cast<size_t>(input.size()));
    };
    for (const QByteArray& input : corpus)
        run(input);
    QRandomGenerator random(20261210); // the same series every run
    for (int i = 0; i < mutations; ++i) {
        QByteArray input = corpus[random.bounded(static_cast<quint32>(corpus.size()))];
        const int edits = 1 + static_cast<int>(random.bounded(8u));
        for (int e = 0; e < edits; ++e) {
            const int at =
                input.isEmpty()
                    ? 0
                    : static_cast<int>(random.bounded(static_cast<quint32>(input.size())));
            switch (random.bounded(4u)) {
            case 0:
                if (!input.isEmpty())
                    input[at] = static_cast<char>(random.bounded(256u));
                break;
            case 1:
                input.insert(at, static_cast<char>(random.bounded(256u)));
                break;
            case 2:
                input.remove(at, 1 + static_cast<int>(random.bounded(4u)));
                break;
            default:
                input.insert(at, input.mid(at / 2, 16));
                break;
            }
        }
        run(input);
    }
    std::printf("%zu corpus inputs and %d mutations ran\n", corpus.size(), mutations);
    return 0;
}
