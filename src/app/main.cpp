// Kelu's entry point. (The application object comes with the main frame.)
int main()
{
    return 0;
}
