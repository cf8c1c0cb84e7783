#include <QCoreApplication>

int runFolderTests(int argc, char **argv);
int runDeletionTests(int argc, char **argv);

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    int failures = runFolderTests(argc, argv);
    failures += runDeletionTests(argc, argv);
    return failures;
}
